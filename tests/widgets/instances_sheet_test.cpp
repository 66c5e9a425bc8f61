// The nine stored buttons of the two windows, each in its five faces, rendered into one
// picture (buttons.png in the build directory) for people to look at; the test checks
// that each button shows the face asked for and that every caption lies inside its button.

#include "controls/xpcmdbutton/face_cell.h"
#include "controls/xpcmdbutton/nine_slice.h"
#include "controls/xpcmdbutton/property_bag.h"
#include "controls/xpcmdbutton/xpcmdbutton.h"
#include "wizard/stored_buttons.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <array>

using namespace sitecapture;

namespace {

// The windows' own stored buttons.
const auto& kInstances = kStoredButtons;

const std::array<std::pair<const char*, qint16>, 5> kFaces = {{
    {"Normal", FaceCell::Normal},
    {"Hover", FaceCell::Hover},
    {"Pressed", FaceCell::Pressed},
    {"Disabled", FaceCell::Disabled},
    {"Marked", FaceCell::Marked},
}};

void SendMouse(QWidget* to, QEvent::Type type, QPointF at, Qt::MouseButton button)
{
    QMouseEvent event(type, at, to->mapToGlobal(at), button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(to, &event);
}

void BringFace(xpcmdbutton* button, qint16 face)
{
    const QPointF centre(button->width() / 2.0, button->height() / 2.0);
    switch (face) {
    case FaceCell::Hover: SendMouse(button, QEvent::MouseMove, centre, Qt::NoButton); break;
    case FaceCell::Pressed: SendMouse(button, QEvent::MouseButtonPress, centre, Qt::LeftButton); break;
    case FaceCell::Disabled: button->SetEnabled(false); break;
    case FaceCell::Marked: button->SetState(1); break;
    default: break;
    }
}

bool Shows(const xpcmdbutton* button, qint16 cell)
{
    QImage expected(button->size(), QImage::Format_RGB32);
    PaintNineSlices(expected, button->Faces().GraphicCell(cell), 3);
    return button->FaceImage() == expected;
}

TEST(InstancesSheet, NineStoredButtonsInEveryFace)
{
    constexpr int kNameWidth = 110;
    constexpr int kColumn = 135;
    constexpr int kRow = 36;
    constexpr int kHeader = 26;

    QWidget sheet;
    sheet.setFixedSize(kNameWidth + kColumn * int(kFaces.size()) + 10, kHeader + kRow * int(kInstances.size()) + 6);
    QPalette palette = sheet.palette();
    palette.setColor(QPalette::Window, QColor(0xEC, 0xE9, 0xD8));
    palette.setColor(QPalette::WindowText, Qt::black);
    sheet.setPalette(palette);
    sheet.setAutoFillBackground(true);
    for (size_t f = 0; f < kFaces.size(); ++f) {
        auto* title = new QLabel(QString::fromLatin1(kFaces[f].first), &sheet);
        title->move(kNameWidth + kColumn * int(f), 6);
    }

    const AmbientProperties ambient{QString(), QFont(QStringLiteral("宋体"), 9)};
    std::vector<std::pair<xpcmdbutton*, qint16>> shown;
    for (size_t i = 0; i < kInstances.size(); ++i) {
        const int top = kHeader + kRow * int(i);
        QString error;
        const auto bag = PropertyBag::FromText(QString::fromUtf8(kInstances[i].bag), &error);
        ASSERT_TRUE(bag) << error.toStdString();
        const QSize size(HimetricToPixels(bag->ReadProperty(QStringLiteral("_extentx")).toInt()),
                         HimetricToPixels(bag->ReadProperty(QStringLiteral("_extenty")).toInt()));
        auto* name = new QLabel(QStringLiteral("%1\n%2 × %3").arg(QString::fromLatin1(kInstances[i].name))
                                    .arg(size.width()).arg(size.height()), &sheet);
        name->move(8, top);
        for (size_t f = 0; f < kFaces.size(); ++f) {
            auto* button = new xpcmdbutton(&sheet);
            button->setGeometry(kNameWidth + kColumn * int(f), top + 2, size.width(), size.height());
            button->ReadProperties(*bag, ambient);
            // Keep the leave check quiet: the pointer is always over the button.
            button->SetCursorSource([button] { return button->mapToGlobal(QPoint(1, 1)); });
            shown.emplace_back(button, kFaces[f].second);
        }
    }
    sheet.show();
    for (auto& [button, face] : shown)
        BringFace(button, face);

    for (auto& [button, face] : shown) {
        EXPECT_TRUE(Shows(button, face)) << button->Caption().toStdString() << " face " << face;
        const QRect caption = button->CaptionElement().geometry();
        EXPECT_TRUE(QRect(QPoint(0, 0), button->size()).contains(caption))
            << button->Caption().toStdString() << " caption at " << caption.x() << "," << caption.y() << " "
            << caption.width() << "x" << caption.height();
    }

    const QImage picture = sheet.grab().toImage();
    ASSERT_TRUE(picture.save(QStringLiteral(SITECAPTURE_SHEET_PATH)));
    const QImage twice = picture.scaled(picture.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    ASSERT_TRUE(twice.save(QStringLiteral(SITECAPTURE_SHEET_PATH).replace(QStringLiteral(".png"), QStringLiteral("@2x.png"))));
}

} // namespace
