#pragma once

#include <QApplication>
#include <QWidget>

namespace korvalin {

// Whether a window of class Form, or of a class derived from it, exists: created and not
// yet destroyed, visible or hidden. Widgets placed inside other widgets are no forms.
template <class Form>
bool IsFormOpen() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (dynamic_cast<Form*>(window) != nullptr) {
            return true;
        }
    }
    return false;
}

}  // namespace korvalin
