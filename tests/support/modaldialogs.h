#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace tl::test
{

// Queues act to run on the modal dialog that the next step opens, from inside the dialog's
// own event loop (act gets nullptr when none is open by then). A dialog act leaves open is
// cancelled afterwards, so that a failed check cannot leave the test waiting on it.
inline void OnNextModal(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, qApp, [act = std::move(act)] {
        QWidget* modal = QApplication::activeModalWidget();
        act(modal);
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            dialog && dialog == modal && dialog->isVisible())
            dialog->reject();
    });
}

} // namespace tl::test
