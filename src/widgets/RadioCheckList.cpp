#include "widgets/RadioCheckList.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "widgets/ColourScheme.h"

namespace korvalin {
namespace {

constexpr int IndicatorGap = 4;

// Draws an item's check mark as a radio button or a check box in front of its text.
class CheckMarkDelegate final : public QStyledItemDelegate {
public:
    CheckMarkDelegate(RadioCheckList* list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem textOption = option;
        initStyleOption(&textOption, index);
        const QStyle* style = option.widget != nullptr ? option.widget->style() : qApp->style();
        const int indicatorSize = style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth);

        QStyleOptionButton mark;
        mark.rect = QRect(option.rect.left() + IndicatorGap,
                          option.rect.top() + (option.rect.height() - indicatorSize) / 2,
                          indicatorSize, indicatorSize);
        mark.state = QStyle::State_Enabled;
        const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        mark.state |= checked ? QStyle::State_On : QStyle::State_Off;
        const bool radio = list_->CheckKind() == RadioCheckList::ckRadioButtons;

        textOption.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        textOption.rect.setLeft(mark.rect.right() + IndicatorGap);
        if (option.state & QStyle::State_Enabled) {
            style->drawControl(QStyle::CE_ItemViewItem, &textOption, painter, option.widget);
        } else {
            // The style's disabled grey fades into the light background; the scheme's
            // shadowed text stays legible.
            const QString text = textOption.text;
            textOption.text.clear();
            style->drawControl(QStyle::CE_ItemViewItem, &textOption, painter, option.widget);
            const QRect textRect =
                style->subElementRect(QStyle::SE_ItemViewItemText, &textOption, option.widget);
            list_->ColorMap().DrawDisabledText(*painter, textRect, Qt::AlignLeft | Qt::AlignVCenter,
                                               text);
            mark.state &= ~QStyle::State_Enabled;
        }
        style->drawPrimitive(radio ? QStyle::PE_IndicatorRadioButton : QStyle::PE_IndicatorCheckBox,
                             &mark, painter, option.widget);
    }

private:
    RadioCheckList* list_;
};

}  // namespace

RadioCheckList::RadioCheckList(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new CheckMarkDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { UserCheck(row(item)); });
}

void RadioCheckList::SetColorMap(const ColourScheme* colorMap) {
    colorMap_ = colorMap;
    viewport()->update();
}

const ColourScheme& RadioCheckList::ColorMap() const {
    return colorMap_ != nullptr ? *colorMap_ : ColourScheme::Designed();
}

void RadioCheckList::SetCheckKind(TCheckKind kind) {
    checkKind_ = kind;
    viewport()->update();
}

void RadioCheckList::AddItem(const QString& text, int data) {
    InsertItem(count(), text, data);
}

void RadioCheckList::InsertItem(int position, const QString& text, int data) {
    auto* item = new QListWidgetItem(text);
    item->setData(Qt::UserRole, data);
    item->setData(Qt::CheckStateRole, Qt::Unchecked);
    item->setSizeHint(QSize(0, itemHeight_));
    insertItem(position, item);
}

void RadioCheckList::SetItemHeight(int height) {
    itemHeight_ = height;
    for (int position = 0; position < count(); ++position) {
        item(position)->setSizeHint(QSize(0, height));
    }
}

int RadioCheckList::CheckedIndex() const {
    for (int position = 0; position < count(); ++position) {
        if (IsChecked(position)) {
            return position;
        }
    }
    return -1;
}

void RadioCheckList::SetCheckedIndex(int position) {
    CheckOnly(position <= 0 ? 0 : position);
}

QString RadioCheckList::CheckedText() const {
    const int position = CheckedIndex();
    return position < 0 ? QString() : ItemText(position);
}

bool RadioCheckList::CheckText(const QString& text) {
    for (int position = 0; position < count(); ++position) {
        if (ItemText(position) == text) {
            CheckOnly(position);
            return true;
        }
    }
    return false;
}

bool RadioCheckList::IsChecked(int position) const {
    const QListWidgetItem* found = item(position);
    return found != nullptr && found->data(Qt::CheckStateRole).toInt() == Qt::Checked;
}

QString RadioCheckList::ItemText(int position) const {
    const QListWidgetItem* found = item(position);
    return found == nullptr ? QString() : found->text();
}

void RadioCheckList::UserCheck(int position) {
    if (position < 0 || position >= count()) {
        return;
    }
    if (checkKind_ == ckRadioButtons) {
        if (IsChecked(position)) {
            // Already the checked item: nothing is checked anew.
            setCurrentRow(position);
            return;
        }
        CheckOnly(position);
    } else {
        QListWidgetItem* target = item(position);
        target->setData(Qt::CheckStateRole, IsChecked(position) ? Qt::Unchecked : Qt::Checked);
    }
    setCurrentRow(position);
    emit ClickCheck();
}

void RadioCheckList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && currentRow() >= 0) {
        UserCheck(currentRow());
        return;
    }
    QListWidget::keyPressEvent(event);
}

void RadioCheckList::CheckOnly(int position) {
    for (int other = 0; other < count(); ++other) {
        item(other)->setData(Qt::CheckStateRole, other == position ? Qt::Checked : Qt::Unchecked);
    }
    viewport()->update();
}

}  // namespace korvalin
