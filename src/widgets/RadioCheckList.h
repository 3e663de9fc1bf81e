#pragma once

#include <QListWidget>
#include <QString>

namespace korvalin {

class ColourScheme;

// A list whose items carry check marks; with CheckKind ckRadioButtons the marks are drawn
// as radio buttons and at most one item is checked. ClickCheck is raised only when the
// user checks an item, never when code changes the checked item.
class RadioCheckList final : public QListWidget {
    Q_OBJECT
public:
    enum TCheckKind { ckCheckBoxes, ckRadioButtons };

    explicit RadioCheckList(QWidget* parent = nullptr);

    TCheckKind CheckKind() const { return checkKind_; }
    void SetCheckKind(TCheckKind kind);

    // Appends an item whose data is a number (the interface index of an adapter).
    void AddItem(const QString& text, int data = -1);
    void InsertItem(int position, const QString& text, int data = -1);
    void SetItemHeight(int height);
    // The scheme whose disabled colours the texts are drawn in while the list is disabled;
    // the designed one unless set. Not owned.
    void SetColorMap(const ColourScheme* colorMap);
    const ColourScheme& ColorMap() const;

    // Position of the checked item, or -1 when none is checked.
    int CheckedIndex() const;
    // Checks the item at position; 0 or less checks the first item, a position beyond the
    // end leaves nothing checked. Does not raise ClickCheck.
    void SetCheckedIndex(int position);
    // Text of the checked item, or empty.
    QString CheckedText() const;
    // Checks the first item whose text equals text exactly; false when there is none.
    bool CheckText(const QString& text);

    bool IsChecked(int position) const;
    QString ItemText(int position) const;
    int Count() const { return count(); }

    // Checks the item as a click of the user would, raising ClickCheck; a radio item that
    // is checked already stays as it is and raises nothing.
    void UserCheck(int position);

signals:
    void ClickCheck();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CheckOnly(int position);

    TCheckKind checkKind_ = ckRadioButtons;
    const ColourScheme* colorMap_ = nullptr;
    int itemHeight_ = 17;
};

}  // namespace korvalin
