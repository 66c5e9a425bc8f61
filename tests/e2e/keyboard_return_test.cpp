// Under Xvfb without a window manager: when a message box closes, the keyboard comes back to
// the window it belongs to, so the operator can type on without clicking first.

#include "wizard/keyboard_return.h"
#include "wizard/operator_message.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace e2e {
namespace {

TEST(KeyboardReturn, TypingGoesOnInTheWindowAfterItsMessageBoxCloses)
{
    sitecapture::KeyboardReturn keyboardReturn;
    qApp->installEventFilter(&keyboardReturn);

    QWidget window;
    auto* edit = new QLineEdit(&window);
    (new QVBoxLayout(&window))->addWidget(edit);
    window.resize(320, 80);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    edit->setFocus();

    // Return through the X server, again until the box has it, as the operator would press it.
    int presses = 0;
    QTimer presser;
    QObject::connect(&presser, &QTimer::timeout, [&presses] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            if (++presses > 25)
                box->close();
            else
                QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
        }
    });
    presser.start(200);
    sitecapture::ShowOperatorMessage(&window, QStringLiteral(u"请填写完整，才能进行下一步"));
    presser.stop();
    ASSERT_LE(presses, 25) << "the box never took the key";

    EXPECT_TRUE(QTest::qWaitForWindowActive(&window, 3000));
    QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("abc")});
    EXPECT_TRUE(QTest::qWaitFor([edit] { return edit->text() == u"abc"; }, 3000)) << edit->text().toStdString();
    qApp->removeEventFilter(&keyboardReturn);
}

} // namespace
} // namespace e2e
