#include "MainWindowAccessible.h"

#include "UnitMain.h"

#include <QAccessibleWidget>

namespace {

// A plain top-level widget reads as a client area ("filler"): a screen reader would not
// announce it as a window. The interface of a window names it by its title.
QAccessibleInterface* MainWindowInterface(const QString& className, QObject* object) {
    if (className != QLatin1String(TFormMain::staticMetaObject.className()) || !object ||
        !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
}

} // namespace

void InstallMainWindowAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(MainWindowInterface);
        return true;
    }();
    (void)installed;
}
