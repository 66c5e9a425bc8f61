// The button's behaviour under synthetic mouse input, timer ticks and property changes:
// which events it raises, in which order, with which arguments, and which face it shows.

#include "button_harness.h"

#include "controls/xpcmdbutton/face_cell.h"

#include <QMetaMethod>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace sitecapture;

namespace {

using Log = std::vector<std::string>;

class ButtonState : public ::testing::Test {
protected:
    ButtonHarness h{QSize(73, 27), QStringLiteral("编辑记录")};
};

TEST_F(ButtonState, StartsAtRestWithTheTimerStopped)
{
    EXPECT_EQ(h.ShownCell(), FaceCell::Normal);
    EXPECT_FALSE(h.button->LeaveCheckRunning());
    EXPECT_EQ(h.button->State(), 0);
    EXPECT_TRUE(h.button->Enabled());
}

TEST_F(ButtonState, HoverThenLeaveWithinOneTick)
{
    h.PointerAt({10, 5});
    h.Move({10, 5});
    EXPECT_EQ(h.log, Log({"MouseMove 0 0 10 5"}));
    EXPECT_EQ(h.ShownCell(), FaceCell::Hover);
    EXPECT_TRUE(h.button->LeaveCheckRunning());

    // The pointer stays: ticks find nothing.
    EXPECT_TRUE(h.Tick());
    EXPECT_TRUE(h.Tick());
    EXPECT_EQ(h.log.size(), 1u);
    EXPECT_EQ(h.ShownCell(), FaceCell::Hover);

    h.PointerAt({80, 5});
    EXPECT_TRUE(h.Tick());
    EXPECT_EQ(h.log, Log({"MouseMove 0 0 10 5", "MouseOut"}));
    EXPECT_EQ(h.ShownCell(), FaceCell::Normal);
    EXPECT_FALSE(h.button->LeaveCheckRunning());
    // One MouseOut per stop of the timer.
    EXPECT_FALSE(h.Tick());
    EXPECT_EQ(h.log.size(), 2u);
}

TEST_F(ButtonState, PressReleaseClicksAndTheNextMoveHovers)
{
    h.PointerAt({30, 10});
    h.Move({30, 10});
    h.Press({30, 10});
    EXPECT_EQ(h.ShownCell(), FaceCell::Pressed);
    h.Release({31, 11});
    EXPECT_EQ(h.log, Log({"MouseMove 0 0 30 10", "MouseDown 1 0 30 10", "MouseUp 1 0 31 11", "Click"}));
    EXPECT_EQ(h.ShownCell(), FaceCell::Normal); // resting face although the pointer is over it
    h.Move({32, 11});
    EXPECT_EQ(h.ShownCell(), FaceCell::Hover);
}

TEST_F(ButtonState, ClickComesAfterTheRestingFaceIsDrawn)
{
    int cellAtClick = -1;
    h.onClick = [&] { cellAtClick = h.ShownCell(); };
    h.Press({30, 10});
    h.Release({30, 10});
    EXPECT_EQ(cellAtClick, FaceCell::Normal);
}

TEST_F(ButtonState, DragOutAndBack)
{
    h.PointerAt({30, 10});
    h.Press({30, 10});
    h.Move({30, 10}, Qt::LeftButton);
    EXPECT_EQ(h.ShownCell(), FaceCell::Pressed);
    h.log.clear();

    // Outside with the button held: nothing raised, Pressed stays, the timer runs.
    h.PointerAt({90, 10});
    h.Move({90, 10}, Qt::LeftButton);
    EXPECT_TRUE(h.log.empty());
    EXPECT_EQ(h.ShownCell(), FaceCell::Pressed);
    EXPECT_TRUE(h.Tick());
    EXPECT_EQ(h.log, Log({"MouseOut"}));
    EXPECT_EQ(h.ShownCell(), FaceCell::Normal);

    // Each further move outside restarts the timer, so MouseOut comes again.
    h.Move({95, 12}, Qt::LeftButton);
    EXPECT_TRUE(h.button->LeaveCheckRunning());
    EXPECT_TRUE(h.Tick());
    EXPECT_EQ(h.log, Log({"MouseOut", "MouseOut"}));

    h.PointerAt({30, 10});
    h.Move({30, 10}, Qt::LeftButton);
    EXPECT_EQ(h.log.back(), "MouseMove 1 0 30 10");
    EXPECT_EQ(h.ShownCell(), FaceCell::Pressed);
}

TEST_F(ButtonState, ReleaseOutsideRaisesMouseUpButNoClick)
{
    h.Press({30, 10});
    h.Move({120, 10}, Qt::LeftButton);
    h.Release({120, 10});
    EXPECT_EQ(h.log, Log({"MouseDown 1 0 30 10", "MouseUp 1 0 120 10"}));
}

TEST_F(ButtonState, RightButtonPressesTheFaceButDoesNotClick)
{
    h.Press({30, 10}, Qt::RightButton);
    EXPECT_EQ(h.ShownCell(), FaceCell::Pressed);
    h.Release({30, 10}, Qt::RightButton);
    EXPECT_EQ(h.log, Log({"MouseDown 2 0 30 10", "MouseUp 2 0 30 10"}));
}

TEST_F(ButtonState, MovesWithOtherButtonsShowHover)
{
    h.Move({30, 10}, Qt::RightButton);
    EXPECT_EQ(h.ShownCell(), FaceCell::Hover);
    h.Move({30, 10}, Qt::LeftButton | Qt::RightButton); // 3, not the left button alone
    EXPECT_EQ(h.ShownCell(), FaceCell::Hover);
    h.Move({30, 10}, Qt::LeftButton);
    EXPECT_EQ(h.ShownCell(), FaceCell::Pressed);
    EXPECT_EQ(h.log, Log({"MouseMove 2 0 30 10", "MouseMove 3 0 30 10", "MouseMove 1 0 30 10"}));
}

TEST_F(ButtonState, ShiftMaskIsPassedOn)
{
    h.Send(h.button, QEvent::MouseMove, {5, 6}, Qt::NoButton, Qt::NoButton,
           Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(h.log, Log({"MouseMove 0 7 5 6"}));
}

TEST_F(ButtonState, BoundsAreInclusiveForMovesAndTheLeaveCheck)
{
    struct Move {
        QPointF at;
        bool raised;
    };
    for (const Move m : {Move{{0, 0}, true}, Move{{73, 27}, true}, Move{{73, 0}, true}, Move{{73.5, 10}, false},
                         Move{{10, 27.25}, false}, Move{{-0.5, 10}, false}, Move{{10, -1}, false}}) {
        h.log.clear();
        h.Move(m.at);
        EXPECT_EQ(!h.log.empty(), m.raised) << m.at.x() << "," << m.at.y();
        EXPECT_TRUE(h.button->LeaveCheckRunning());
    }

    struct Pointer {
        QPoint at;
        bool outside;
    };
    for (const Pointer p : {Pointer{{73, 27}, false}, Pointer{{0, 0}, false}, Pointer{{74, 10}, true},
                            Pointer{{10, 28}, true}, Pointer{{-1, 10}, true}, Pointer{{10, -1}, true}}) {
        h.Move({10, 10});
        h.log.clear();
        h.PointerAt(p.at);
        h.Tick();
        EXPECT_EQ(h.log == Log({"MouseOut"}), p.outside) << p.at.x() << "," << p.at.y();
        EXPECT_EQ(h.button->LeaveCheckRunning(), !p.outside);
    }
}

TEST_F(ButtonState, TheTimerTicksOnItsOwn)
{
    h.PointerAt({500, 500});
    h.Move({10, 10});
    QSignalSpy out(h.button, &xpcmdbutton::MouseOut);
    EXPECT_TRUE(out.wait(1000));
    EXPECT_EQ(out.count(), 1);
    EXPECT_FALSE(h.button->LeaveCheckRunning());
}

// ---- State ----

struct StateCase {
    std::vector<qint32> values;
    qint16 rest;
};

class StateSequence : public ::testing::TestWithParam<StateCase> {};

TEST_P(StateSequence, ChoosesTheRestingFace)
{
    ButtonHarness h(QSize(73, 27));
    for (qint32 v : GetParam().values)
        h.button->SetState(v);
    EXPECT_EQ(h.ShownCell(), GetParam().rest);
    EXPECT_EQ(h.button->RestCell(), GetParam().rest);
    h.button->SetEnabled(false);
    EXPECT_EQ(h.ShownCell(), FaceCell::Disabled);
    h.button->SetEnabled(true);
    EXPECT_EQ(h.ShownCell(), GetParam().rest);
}

INSTANTIATE_TEST_SUITE_P(
    Values, StateSequence,
    ::testing::Values(StateCase{{}, FaceCell::Normal}, StateCase{{0}, FaceCell::Normal}, StateCase{{1}, FaceCell::Marked},
                      StateCase{{2}, FaceCell::Normal}, StateCase{{-1}, FaceCell::Normal},
                      StateCase{{1, 2}, FaceCell::Marked}, StateCase{{1, 2, 7}, FaceCell::Marked},
                      StateCase{{1, 0}, FaceCell::Normal}, StateCase{{1, 0, 2}, FaceCell::Normal},
                      StateCase{{2, 1}, FaceCell::Marked}, StateCase{{1, 1}, FaceCell::Marked}),
    [](const auto& info) {
        std::string name = "set";
        for (qint32 v : info.param.values)
            name += v < 0 ? "_minus" + std::to_string(-v) : "_" + std::to_string(v);
        return name;
    });

TEST_F(ButtonState, MarkedButtonHoversPressesAndReturnsToMarked)
{
    h.button->SetState(1);
    EXPECT_EQ(h.ShownCell(), FaceCell::Marked);
    h.PointerAt({10, 10});
    h.Move({10, 10});
    EXPECT_EQ(h.ShownCell(), FaceCell::Hover);
    h.Press({10, 10});
    EXPECT_EQ(h.ShownCell(), FaceCell::Pressed);
    h.Release({10, 10});
    EXPECT_EQ(h.ShownCell(), FaceCell::Marked);
    h.Move({10, 10});
    h.PointerAt({-5, 10});
    h.Tick();
    EXPECT_EQ(h.ShownCell(), FaceCell::Marked);
}

TEST_F(ButtonState, SettingStateOrEnabledUnderThePointerShowsTheRestingFace)
{
    h.Move({10, 10});
    h.button->SetState(1);
    EXPECT_EQ(h.ShownCell(), FaceCell::Marked);
    h.Move({11, 10});
    EXPECT_EQ(h.ShownCell(), FaceCell::Hover);
    h.button->SetEnabled(true); // same value: still draws the resting face
    EXPECT_EQ(h.ShownCell(), FaceCell::Marked);
}

// ---- Enabled ----

TEST_F(ButtonState, DisablingUnderThePointerStillReportsTheLeave)
{
    h.PointerAt({10, 10});
    h.Move({10, 10});
    h.button->SetEnabled(false);
    EXPECT_EQ(h.ShownCell(), FaceCell::Disabled);
    EXPECT_EQ(h.Caption()->TextColour(), QColor(0xA1, 0xA1, 0x92));

    // No mouse input reaches a disabled button.
    h.log.clear();
    h.Move({12, 10});
    h.Press({12, 10});
    EXPECT_TRUE(h.log.empty());
    EXPECT_EQ(h.ShownCell(), FaceCell::Disabled);

    h.PointerAt({200, 10});
    EXPECT_TRUE(h.Tick());
    EXPECT_EQ(h.log, Log({"MouseOut"}));
    EXPECT_EQ(h.ShownCell(), FaceCell::Disabled);
}

TEST_F(ButtonState, QtSetEnabledRunsTheSameSteps)
{
    QSignalSpy changed(h.button, &xpcmdbutton::PropertyChanged);
    h.button->setEnabled(false);
    EXPECT_FALSE(h.button->Enabled());
    EXPECT_EQ(h.ShownCell(), FaceCell::Disabled);
    EXPECT_EQ(h.Caption()->TextColour(), QColor(0xA1, 0xA1, 0x92));
    h.button->setEnabled(true);
    EXPECT_TRUE(h.button->Enabled());
    EXPECT_EQ(h.ShownCell(), FaceCell::Normal);
    EXPECT_EQ(h.Caption()->TextColour(), QColor(Qt::black));
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed[0][0].toString(), "Enabled");

    // Through the property system too.
    EXPECT_TRUE(h.button->setProperty("Enabled", false));
    EXPECT_EQ(h.ShownCell(), FaceCell::Disabled);
}

TEST_F(ButtonState, SetEnabledRunsItsStepsOnce)
{
    QSignalSpy changed(h.button, &xpcmdbutton::PropertyChanged);
    h.button->SetEnabled(false);
    h.button->SetEnabled(false);
    h.button->SetEnabled(true);
    EXPECT_EQ(changed.count(), 3);
}

// A window that disables itself keeps its buttons' own flag and faces.
TEST_F(ButtonState, DisabledWindowLeavesTheButtonsFlagAndFace)
{
    h.window.setEnabled(false);
    EXPECT_TRUE(h.button->Enabled());
    EXPECT_EQ(h.ShownCell(), FaceCell::Normal);
    EXPECT_EQ(h.Caption()->TextColour(), QColor(Qt::black));
    h.log.clear();
    h.Press({10, 10});
    EXPECT_TRUE(h.log.empty());
    h.window.setEnabled(true);
    h.Press({10, 10});
    EXPECT_EQ(h.log, Log({"MouseDown 1 0 10 10"}));
}

// ---- caption ----

TEST_F(ButtonState, CaptionMovesReportTheCaptionsTopLeft)
{
    const QPointF at = h.button->CaptionPosition();
    const QRect lbl = h.button->CaptionElement().geometry();
    EXPECT_GT(at.x(), 0);
    EXPECT_EQ(lbl.left(), int(std::floor(at.x())));
    EXPECT_EQ(lbl.top(), int(std::floor(at.y())));

    h.MoveOnCaption({5, 3});
    h.MoveOnCaption({20, 7}, Qt::LeftButton);
    const std::string x = Arg(float(at.x())).toStdString();
    const std::string y = Arg(float(at.y())).toStdString();
    EXPECT_EQ(h.log, Log({"MouseMove 0 0 " + x + " " + y, "MouseMove 1 0 " + x + " " + y}));
    EXPECT_EQ(h.ShownCell(), FaceCell::Pressed);
    EXPECT_TRUE(h.button->LeaveCheckRunning());
}

TEST_F(ButtonState, CaptionPressAndReleaseClickWithCaptionCoordinates)
{
    h.PressOnCaption({4, 5});
    EXPECT_EQ(h.ShownCell(), FaceCell::Pressed);
    h.ReleaseOnCaption({6, 5});
    EXPECT_EQ(h.log, Log({"MouseDown 1 0 4 5", "MouseUp 1 0 6 5", "Click"}));
    EXPECT_EQ(h.ShownCell(), FaceCell::Normal);
}

TEST_F(ButtonState, CaptionReleasedOutsideTheButtonDoesNotClick)
{
    h.PressOnCaption({4, 5});
    h.ReleaseOnCaption({200, 5});
    EXPECT_EQ(h.log, Log({"MouseDown 1 0 4 5", "MouseUp 1 0 200 5"}));
}

TEST_F(ButtonState, CaptionWiderThanTheButtonFailsTheInsideTest)
{
    ButtonHarness narrow(QSize(30, 27), QStringLiteral("确认并保存到数据库"));
    EXPECT_LT(narrow.button->CaptionPosition().x(), 0);
    narrow.PointerAt({10, 10});
    narrow.MoveOnCaption({30, 5});
    EXPECT_TRUE(narrow.log.empty());
    EXPECT_EQ(narrow.ShownCell(), FaceCell::Normal);
    EXPECT_TRUE(narrow.button->LeaveCheckRunning());
    narrow.PointerAt({40, 10});
    EXPECT_TRUE(narrow.Tick());
    EXPECT_EQ(narrow.log, Log({"MouseOut"}));
}

TEST_F(ButtonState, CaptionAndFontChangesRecentreAndShowTheRestingFace)
{
    h.Move({10, 10});
    h.button->SetCaption(QStringLiteral("退出"));
    EXPECT_EQ(h.ShownCell(), FaceCell::Normal);
    const QRect small = h.button->CaptionElement().geometry();
    EXPECT_NEAR(small.center().x(), 36, 1);
    EXPECT_NEAR(small.center().y(), 13, 1);

    h.Move({10, 10});
    QFont big(QStringLiteral("宋体"), 14);
    h.button->SetFont(big);
    EXPECT_EQ(h.ShownCell(), FaceCell::Normal);
    const QRect large = h.button->CaptionElement().geometry();
    EXPECT_GT(large.width(), small.width());
    EXPECT_GT(large.height(), small.height());
    EXPECT_EQ(h.button->CaptionPosition(), QPointF((73 - large.width()) / 2.0, (27 - large.height()) / 2.0));
    EXPECT_EQ(h.button->Font(), big);
    EXPECT_EQ(h.button->CaptionElement().font(), big);
}

TEST_F(ButtonState, ResizeRecentresTheCaption)
{
    h.button->resize(120, 40);
    const QRect lbl = h.button->CaptionElement().geometry();
    EXPECT_EQ(h.button->CaptionPosition(), QPointF((120 - lbl.width()) / 2.0, (40 - lbl.height()) / 2.0));
    EXPECT_EQ(h.button->FaceImage().size(), QSize(120, 40));
    EXPECT_EQ(h.ShownCell(), FaceCell::Normal);
}

// ---- double click ----

TEST_F(ButtonState, DoubleClickClicksOnce)
{
    h.Press({10, 10});
    h.Release({10, 10});
    h.DoubleClick({10, 10});
    EXPECT_EQ(h.ShownCell(), FaceCell::Normal); // no Pressed face for the second press
    h.Release({10, 10});
    EXPECT_EQ(h.log, Log({"MouseDown 1 0 10 10", "MouseUp 1 0 10 10", "Click", "MouseUp 1 0 10 10"}));
}

TEST_F(ButtonState, DoubleClickOnTheCaptionClicksOnce)
{
    h.PressOnCaption({3, 3});
    h.ReleaseOnCaption({3, 3});
    h.DoubleClickOnCaption({3, 3});
    h.ReleaseOnCaption({3, 3});
    EXPECT_EQ(h.log, Log({"MouseDown 1 0 3 3", "MouseUp 1 0 3 3", "Click", "MouseUp 1 0 3 3"}));
}

// ---- handlers changing arguments ----

TEST_F(ButtonState, MouseMoveHandlerDecidesTheFaceThroughButton)
{
    h.onMouseMove = [](qint16& button, qint16&, float&, float&) { button = 1; };
    h.Move({10, 10});
    EXPECT_EQ(h.ShownCell(), FaceCell::Pressed);
    h.onMouseMove = [](qint16& button, qint16&, float&, float&) { button = 0; };
    h.Move({10, 10}, Qt::LeftButton);
    EXPECT_EQ(h.ShownCell(), FaceCell::Hover);
}

// The list window disables its delete button from that button's own MouseMove handler.
TEST_F(ButtonState, HandlerThatDisablesTheButtonLeavesItOnDisabled)
{
    h.onMouseMove = [&](qint16&, qint16&, float&, float&) { h.button->SetEnabled(false); };
    h.PointerAt({10, 10});
    h.Move({10, 10});
    EXPECT_EQ(h.ShownCell(), FaceCell::Disabled);
    EXPECT_TRUE(h.button->LeaveCheckRunning());
    h.PointerAt({-4, 10});
    h.Tick();
    EXPECT_EQ(h.log, Log({"MouseMove 0 0 10 10", "MouseOut"}));
    EXPECT_EQ(h.ShownCell(), FaceCell::Disabled);

    ButtonHarness other(QSize(73, 27));
    other.onMouseDown = [&](qint16&, qint16&, float&, float&) { other.button->SetEnabled(false); };
    other.Press({10, 10});
    EXPECT_EQ(other.ShownCell(), FaceCell::Disabled);
}

TEST_F(ButtonState, OtherArgumentChangesAreIgnored)
{
    h.onMouseMove = [](qint16&, qint16&, float& x, float& y) { x = -50, y = -50; };
    h.onMouseDown = [](qint16& button, qint16&, float& x, float&) { button = 0, x = 999; };
    h.onMouseUp = [](qint16& button, qint16&, float& x, float&) { button = 2, x = 999; };
    h.Move({10, 10});
    EXPECT_EQ(h.ShownCell(), FaceCell::Hover);
    h.Press({10, 10});
    EXPECT_EQ(h.ShownCell(), FaceCell::Pressed);
    h.Release({10, 10});
    EXPECT_EQ(h.log, Log({"MouseMove 0 0 10 10", "MouseDown 1 0 10 10", "MouseUp 1 0 10 10", "Click"}));
    EXPECT_EQ(h.ShownCell(), FaceCell::Normal);
}

// Handlers run inside the raising step, before that step paints its face.
TEST_F(ButtonState, HandlersSeeTheFaceFromBeforeTheirStep)
{
    std::vector<int> seen;
    auto look = [&](qint16&, qint16&, float&, float&) { seen.push_back(h.ShownCell()); };
    h.onMouseMove = h.onMouseDown = h.onMouseUp = look;
    h.onMouseOut = [&] { seen.push_back(h.ShownCell()); };
    h.Move({10, 10});    // sees Normal, then Hover is painted
    h.Press({10, 10});   // sees Hover
    h.Release({10, 10}); // sees Pressed
    h.Move({10, 10});    // sees Normal (the resting face after the release)
    h.PointerAt({-3, 0});
    h.Tick();            // sees Hover
    EXPECT_EQ(seen, std::vector<int>({FaceCell::Normal, FaceCell::Hover, FaceCell::Pressed, FaceCell::Normal,
                                      FaceCell::Hover}));
}

TEST_F(ButtonState, AHandlerMayRestartTheTimerFromMouseOut)
{
    h.onMouseOut = [&] { h.Move({5, 5}); };
    h.PointerAt({-10, 5});
    h.Move({5, 5});
    EXPECT_TRUE(h.Tick());
    // The resting face of the leave check comes last.
    EXPECT_EQ(h.ShownCell(), FaceCell::Normal);
    EXPECT_TRUE(h.button->LeaveCheckRunning());
}

// ---- keyboard ----

TEST_F(ButtonState, KeysRaiseOnlyTheKeyEvents)
{
    struct Key {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
        Log expected;
    };
    const std::vector<Key> keys = {
        {Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), {"KeyDown 32 0", "KeyPress 32", "KeyUp 32 0"}},
        {Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), {"KeyDown 13 0", "KeyPress 13", "KeyUp 13 0"}},
        {Qt::Key_A, Qt::ShiftModifier, QStringLiteral("A"), {"KeyDown 65 1", "KeyPress 65", "KeyUp 65 1"}},
        {Qt::Key_F5, Qt::ControlModifier, QString(), {"KeyDown 116 2", "KeyUp 116 2"}},
        {Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"), {"KeyDown 27 0", "KeyPress 27", "KeyUp 27 0"}},
    };
    for (const Key& k : keys) {
        h.log.clear();
        QKeyEvent down(QEvent::KeyPress, k.key, k.modifiers, k.text);
        QKeyEvent up(QEvent::KeyRelease, k.key, k.modifiers, k.text);
        QCoreApplication::sendEvent(h.button, &down);
        QCoreApplication::sendEvent(h.button, &up);
        EXPECT_EQ(h.log, k.expected) << k.key;
        EXPECT_EQ(h.ShownCell(), FaceCell::Normal);
    }
}

TEST_F(ButtonState, HeldKeyRepeatsKeyDownAndComesUpOnce)
{
    QKeyEvent down(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
    QKeyEvent repeatUp(QEvent::KeyRelease, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"), true);
    QKeyEvent repeatDown(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"), true);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
    for (QKeyEvent* e : {&down, &repeatUp, &repeatDown, &up})
        QCoreApplication::sendEvent(h.button, e);
    EXPECT_EQ(h.log, Log({"KeyDown 66 0", "KeyPress 98", "KeyDown 66 0", "KeyPress 98", "KeyUp 66 0"}));
}

TEST_F(ButtonState, AccessKeyClicks)
{
    h.button->SetCaption(QStringLiteral("编辑(&E)"));
    h.window.activateWindow();
    QApplication::setActiveWindow(&h.window);
    QTest::keyClick(&h.window, Qt::Key_E, Qt::AltModifier);
    EXPECT_EQ(h.log, Log({"Click"}));
    EXPECT_EQ(h.ShownCell(), FaceCell::Normal);

    // A disabled button takes no access key.
    h.log.clear();
    h.button->SetEnabled(false);
    QTest::keyClick(&h.window, Qt::Key_E, Qt::AltModifier);
    EXPECT_TRUE(h.log.empty());
}

TEST(CaptionText, MnemonicsAreStrippedForDisplay)
{
    EXPECT_EQ(StripMnemonic(QStringLiteral("编辑(&E)")), QStringLiteral("编辑(E)"));
    EXPECT_EQ(StripMnemonic(QStringLiteral("A && B")), QStringLiteral("A & B"));
    EXPECT_EQ(StripMnemonic(QStringLiteral("&&&x")), QStringLiteral("&x"));
    EXPECT_EQ(StripMnemonic(QStringLiteral("end&")), QStringLiteral("end&"));
    EXPECT_EQ(StripMnemonic(QStringLiteral("  链接测试  ")), QStringLiteral("  链接测试  "));
}

// ---- interface ----

TEST(ButtonInterface, EventsAreDeclaredInOrder)
{
    const QMetaObject& meta = xpcmdbutton::staticMetaObject;
    std::vector<std::string> signalNames;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
        if (meta.method(i).methodType() == QMetaMethod::Signal)
            signalNames.push_back(meta.method(i).name().toStdString());
    EXPECT_EQ(signalNames, std::vector<std::string>({"Click", "KeyDown", "KeyPress", "KeyUp", "MouseOut", "MouseDown",
                                                     "MouseMove", "MouseUp", "PropertyChanged"}));
    std::vector<std::string> properties;
    for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i)
        properties.push_back(meta.property(i).name());
    EXPECT_EQ(properties, std::vector<std::string>({"Enabled", "State", "Caption", "Font"}));
}

} // namespace
