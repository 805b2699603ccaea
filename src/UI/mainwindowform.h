#pragma once

#include <QHash>
#include <QList>
#include <QString>

class QAction;
class QMainWindow;
class QMenu;
class QMenuBar;
class QStatusBar;
class QWidget;

namespace Ui {

// The main window's actions, menus and bars, built from one table of entries.
class MainWindowForm
{
public:
    // One action: its object name, texts, shortcut, state, and what it starts.
    struct Entry
    {
        const char *name;
        const char *text;
        const char *shortcut;
        const char *menu;      // object name of its menu, or nullptr for no menu
        bool checkable;
        bool checked;
        bool enabled;
        int operation;         // operation number, or -1
        const char *view;      // view name, or nullptr
        bool separatorAfter;
        const char *toolTip;
        const char *statusTip; // "=" repeats the tool tip
    };
    static const QList<Entry> &entries();

    void setupUi(QMainWindow *window);
    void retranslateUi(QMainWindow *window);

    QAction *action(const QString &objectName) const { return actions.value(objectName); }
    QMenu *menu(const QString &objectName) const { return menus.value(objectName); }
    const QList<QAction *> &orderedActions() const { return actionOrder; }

    QMenuBar *menubar = nullptr;
    QStatusBar *statusbar = nullptr;
    QWidget *centralwidget = nullptr;

private:
    QHash<QString, QAction *> actions;
    QList<QAction *> actionOrder;
    QHash<QString, QMenu *> menus;
};

} // namespace Ui
