// Stored settings: the bag itself, its text form, and how the button reads and writes it.

#include "button_harness.h"

#include "controls/xpcmdbutton/face_cell.h"
#include "controls/xpcmdbutton/property_bag.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace sitecapture;

namespace {

const AmbientProperties kAmbient{QStringLiteral("command1"), QFont(QStringLiteral("宋体"), 9)};

std::string Keys(const PropertyBag& bag)
{
    return bag.Keys().join(u',').toStdString();
}

TEST(PropertyBag, KeysMatchWithoutLetterCase)
{
    PropertyBag bag;
    bag.WriteProperty(QStringLiteral("caption"), QStringLiteral("退出"));
    for (const char* key : {"caption", "Caption", "CAPTION", "cApTiOn"})
        EXPECT_EQ(bag.ReadProperty(QString::fromLatin1(key), QStringLiteral("x")).toString(), QStringLiteral("退出")) << key;
    // Writing under another spelling replaces the entry.
    bag.WriteProperty(QStringLiteral("Caption"), QStringLiteral("上一步"));
    EXPECT_EQ(Keys(bag), "caption");
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("CAPTION")).toString(), QStringLiteral("上一步"));
}

TEST(PropertyBag, MissingKeysReadTheirDefault)
{
    const PropertyBag bag;
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("State"), 0).toInt(), 0);
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("Enabled"), true).toBool(), true);
    EXPECT_FALSE(bag.ReadProperty(QStringLiteral("Font")).isValid());
}

TEST(PropertyBag, ValuesEqualToTheirDefaultAreNotWritten)
{
    PropertyBag bag;
    bag.WriteProperty(QStringLiteral("State"), qint32(0), qint32(0));
    bag.WriteProperty(QStringLiteral("Enabled"), true, true);
    bag.WriteProperty(QStringLiteral("Font"), kAmbient.Font, kAmbient.Font);
    EXPECT_TRUE(bag.IsEmpty());
    bag.WriteProperty(QStringLiteral("State"), qint32(2), qint32(0));
    EXPECT_EQ(Keys(bag), "State");
    bag.WriteProperty(QStringLiteral("state"), qint32(0), qint32(0)); // back to the default
    EXPECT_TRUE(bag.IsEmpty());
}

TEST(PropertyBagText, RoundTripsEveryKindOfValueInOrder)
{
    PropertyBag bag;
    QFont styled(QStringLiteral("Noto Sans"), 10);
    styled.setPointSizeF(10.5);
    styled.setWeight(QFont::Bold);
    styled.setItalic(true);
    styled.setUnderline(true);
    styled.setStrikeOut(true);
    QFont pixels(QStringLiteral("宋体"));
    pixels.setPixelSize(12);
    bag.WriteProperty(QStringLiteral("_extentx"), 1931);
    bag.WriteProperty(QStringLiteral("_extenty"), 714);
    bag.WriteProperty(QStringLiteral("caption"), QStringLiteral("  链接\"测试\\\n  "));
    bag.WriteProperty(QStringLiteral("font"), QFont(QStringLiteral("宋体"), 9));
    bag.WriteProperty(QStringLiteral("Styled"), styled);
    bag.WriteProperty(QStringLiteral("Pixels"), pixels);
    bag.WriteProperty(QStringLiteral("Enabled"), false);
    bag.WriteProperty(QStringLiteral("State"), qint32(-2147483647 - 1));

    const QString text = bag.ToText();
    QString error;
    const auto back = PropertyBag::FromText(text, &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_TRUE(*back == bag) << text.toStdString();
    EXPECT_EQ(Keys(*back), "_extentx,_extenty,caption,font,Styled,Pixels,Enabled,State");
    EXPECT_EQ(back->ToText(), text);
}

TEST(PropertyBagText, ReadsTheStoredFormOfAButton)
{
    const auto bag = PropertyBag::FromText(QStringLiteral("# command1(0)\n"
                                                          "_extentx = 1931\r\n"
                                                          "  _extenty=714\n"
                                                          "\n"
                                                          "caption = \"编辑记录\"\n"
                                                          "font = font \"宋体\" 9pt 400\n"));
    ASSERT_TRUE(bag);
    EXPECT_EQ(Keys(*bag), "_extentx,_extenty,caption,font");
    EXPECT_EQ(bag->ReadProperty(QStringLiteral("_EXTENTX")).toInt(), 1931);
    EXPECT_EQ(bag->ReadProperty(QStringLiteral("Caption")).toString(), QStringLiteral("编辑记录"));
    EXPECT_EQ(bag->ReadProperty(QStringLiteral("Font")).value<QFont>(), QFont(QStringLiteral("宋体"), 9));
}

TEST(PropertyBagText, UnreadableLinesAreReportedWithTheirNumber)
{
    struct Bad {
        const char* text;
        const char* mentions;
    };
    for (const Bad b : {Bad{"caption \"x\"", "第 1 行"}, Bad{"a = 1\ncaption = \"open", "第 2 行"},
                        Bad{"state = 12x", "12x"}, Bad{"state = 2147483648", "2147483648"},
                        Bad{"font = font \"宋体\" 9 400", "9pt"}, Bad{"font = font \"宋体\" 9pt heavy", "heavy"},
                        Bad{"font = font \"宋体\" 9pt 400 bold", "bold"}, Bad{"caption = \"a\\tb\"", "\\t"},
                        Bad{"caption = \"a\" \"b\"", "多余"}, Bad{"caption = \"a\"\nCAPTION = \"b\"", "重复"},
                        Bad{"9lives = 1", "第 1 行"}, Bad{"key =", "缺少"}}) {
        QString error;
        EXPECT_FALSE(PropertyBag::FromText(QString::fromUtf8(b.text), &error)) << b.text;
        EXPECT_TRUE(error.contains(QString::fromUtf8(b.mentions))) << b.text << " -> " << error.toStdString();
    }
}

TEST(PropertyBag, HimetricSizesOfTheStoredButtons)
{
    struct Size {
        int himetric, pixels;
    };
    for (const Size s : {Size{1931, 73}, Size{714, 27}, Size{1535, 58}, Size{635, 24}, Size{609, 23},
                         Size{3096, 117}, Size{476, 18}, Size{1826, 69}})
        EXPECT_EQ(HimetricToPixels(s.himetric), s.pixels) << s.himetric;
}

// ---- the button's stored properties ----

TEST(ButtonProperties, StoredBagWithCaptionAndFontOnly)
{
    ButtonHarness h(QSize(73, 27));
    QSignalSpy changed(h.button, &xpcmdbutton::PropertyChanged);
    const auto bag = PropertyBag::FromText(QStringLiteral("caption = \"删除记录\"\nfont = font \"宋体\" 9pt 400\n"));
    ASSERT_TRUE(bag);
    h.button->ReadProperties(*bag, kAmbient);

    EXPECT_EQ(h.button->State(), 0);
    EXPECT_TRUE(h.button->Enabled());
    EXPECT_EQ(h.button->Caption(), QStringLiteral("删除记录"));
    EXPECT_EQ(h.button->Font(), QFont(QStringLiteral("宋体"), 9));
    EXPECT_EQ(h.Caption()->TextColour(), QColor(Qt::black));
    EXPECT_EQ(h.ShownCell(), FaceCell::Normal);

    // Read in order: State (no setter), Enabled, Caption, Font.
    std::vector<std::string> order;
    for (const auto& call : changed)
        order.push_back(call[0].toString().toStdString());
    EXPECT_EQ(order, std::vector<std::string>({"Enabled", "Caption", "Font"}));

    // Written back, the defaults stay out and the bag is what was read.
    PropertyBag out;
    h.button->WriteProperties(out, kAmbient);
    EXPECT_EQ(Keys(out), "Caption");
    EXPECT_EQ(out.ReadProperty(QStringLiteral("caption")).toString(), QStringLiteral("删除记录"));
}

TEST(ButtonProperties, StoredStateOneShowsMarkedOnceShown)
{
    QWidget window;
    auto* button = new xpcmdbutton(&window);
    button->resize(73, 27);
    const auto bag = PropertyBag::FromText(QStringLiteral("State = 1\ncaption = \"x\"\n"));
    ASSERT_TRUE(bag);
    button->ReadProperties(*bag, kAmbient);
    window.show();
    EXPECT_EQ(button->State(), 1);
    EXPECT_EQ(button->RestCell(), FaceCell::Marked);
    QImage marked(button->size(), QImage::Format_RGB32);
    PaintNineSlices(marked, button->Faces().GraphicCell(FaceCell::Marked), 3);
    EXPECT_EQ(button->FaceImage(), marked);
}

TEST(ButtonProperties, EmptyBagGivesTheDefaults)
{
    ButtonHarness h(QSize(73, 27));
    h.button->ReadProperties(PropertyBag(), kAmbient);
    EXPECT_EQ(h.button->Caption(), QStringLiteral("command1"));
    EXPECT_EQ(h.button->Font(), kAmbient.Font);
    EXPECT_TRUE(h.button->Enabled());
    PropertyBag out;
    h.button->WriteProperties(out, kAmbient);
    EXPECT_TRUE(out.IsEmpty());
}

TEST(ButtonProperties, AllFourKeysAreWrittenInOrder)
{
    ButtonHarness h(QSize(73, 27));
    h.button->InitProperties(kAmbient);
    h.button->SetFont(QFont(QStringLiteral("宋体"), 12));
    h.button->SetCaption(QStringLiteral("退出"));
    h.button->SetEnabled(false);
    h.button->SetState(1);
    PropertyBag out;
    h.button->WriteProperties(out, kAmbient);
    EXPECT_EQ(Keys(out), "State,Enabled,Caption,Font");

    const auto text = out.ToText();
    const auto back = PropertyBag::FromText(text);
    ASSERT_TRUE(back) << text.toStdString();
    ButtonHarness other(QSize(73, 27));
    other.button->ReadProperties(*back, kAmbient);
    EXPECT_EQ(other.button->State(), 1);
    EXPECT_FALSE(other.button->Enabled());
    EXPECT_EQ(other.button->Caption(), QStringLiteral("退出"));
    EXPECT_EQ(other.button->Font(), QFont(QStringLiteral("宋体"), 12));
    EXPECT_EQ(other.ShownCell(), FaceCell::Disabled);
    EXPECT_EQ(other.Caption()->TextColour(), QColor(0xA1, 0xA1, 0x92));
}

TEST(ButtonProperties, InitPropertiesTakesTheHostsDefaults)
{
    ButtonHarness h(QSize(73, 27));
    h.button->SetEnabled(false);
    QSignalSpy changed(h.button, &xpcmdbutton::PropertyChanged);
    h.button->InitProperties(kAmbient);
    EXPECT_TRUE(h.button->Enabled());
    EXPECT_EQ(h.button->Caption(), QStringLiteral("command1"));
    EXPECT_EQ(h.button->Font(), kAmbient.Font);
    EXPECT_EQ(h.button->State(), 0);
    ASSERT_EQ(changed.count(), 3);
    EXPECT_EQ(changed[0][0].toString(), "Enabled");
    EXPECT_EQ(changed[1][0].toString(), "Caption");
    EXPECT_EQ(changed[2][0].toString(), "Font");
}

TEST(ButtonProperties, FontGetReturnsTheFontLastSet)
{
    ButtonHarness h(QSize(73, 27));
    QFont f(QStringLiteral("宋体"), 11);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 1.5); // not a property the bag keeps
    h.button->SetFont(f);
    EXPECT_EQ(h.button->Font(), f);
    EXPECT_EQ(h.button->property("Font").value<QFont>(), f);
}

} // namespace
