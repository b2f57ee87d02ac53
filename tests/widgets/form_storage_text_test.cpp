// Stored control values as text: the number formats, the property names of our components and of
// plain Qt controls, and what a stored text does to a control.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QWidget>
#include <cmath>

#include "persist/big_ini_file.h"
#include "widget_test_support.h"
#include "widgets/check_box.h"
#include "widgets/form_props.h"
#include "widgets/form_value_text.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {
namespace {

TEST(FormStorageText, FloatsUseTheGeneralFormatWithAPointInEveryLocale) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(floatText(0.1, 15), "0.1");
    EXPECT_EQ(floatText(2.0, 15), "2");
    EXPECT_EQ(floatText(-1.5, 15), "-1.5");
    EXPECT_EQ(floatText(1.0 / 3.0, 15), "0.333333333333333");
    EXPECT_EQ(floatText(2.0 / 3.0, 7), "0.6666667");
    EXPECT_EQ(floatText(0.1f, 7), "0.1");
    EXPECT_EQ(floatText(1e14, 15), "100000000000000");
    EXPECT_EQ(floatText(1e15, 15), "1E15");
    EXPECT_EQ(floatText(123456789012345678.0, 15), "1.23456789012346E17");
    EXPECT_EQ(floatText(0.0001, 15), "0.0001");
    EXPECT_EQ(floatText(0.00001, 15), "1E-5");
    EXPECT_EQ(floatText(-2.5e-7, 15), "-2.5E-7");
    EXPECT_EQ(floatText(0.0, 15), "0");
    EXPECT_EQ(floatText(99.99999999999999, 15), "100");
    EXPECT_EQ(parseFloatText(QStringLiteral("0.1")), 0.1);
    QLocale::setDefault(previous);
}

TEST(FormStorageText, NumbersReadBackTrimmedAndBadTextIsNoNumber) {
    EXPECT_EQ(parseFloatText(QStringLiteral(" 12 ")), 12.0);
    EXPECT_EQ(parseFloatText(QStringLiteral("+4.5")), 4.5);
    EXPECT_EQ(parseFloatText(QStringLiteral("1E-5")), 1e-5);
    EXPECT_EQ(parseFloatText(QStringLiteral("0,5")), std::nullopt);
    EXPECT_EQ(parseFloatText(QStringLiteral("12 apples")), std::nullopt);
    EXPECT_EQ(parseFloatText(QStringLiteral("")), std::nullopt);
    EXPECT_EQ(parseIntegerText(QStringLiteral(" -12 ")), -12);
    EXPECT_EQ(parseIntegerText(QStringLiteral("1.5")), std::nullopt);
    EXPECT_EQ(parseIntegerText(QStringLiteral("٣")), std::nullopt);

    // Whatever double goes out comes back within the 15 digits, and its text then stays put.
    for (const double value : {0.1, 1.0 / 3.0, 2.0 / 3.0, 1e-9, 6.02214076e23, -123.456, 98765.4321}) {
        const QString text = floatText(value, 15);
        const double back = parseFloatText(text).value();
        EXPECT_NEAR(back, value, std::fabs(value) * 1e-14) << text.toStdString();
        EXPECT_EQ(floatText(back, 15), text);
    }
}

// A control under test and a property storage on an in-memory file.
struct FormStorageProps : test::WidgetTest {
    TBigIniFile ini{std::filesystem::path()};
    QWidget form;

    std::string stored(const std::string& key) const { return ini.ReadString("Form", key, "<none>"); }
    void store(QObject& control, const char* property) {
        TPropsStorage(ini, "Form", control.objectName() + "_")
            .StoreProperty(control, QString::fromLatin1(property));
    }
    void load(QObject& control, const char* property) {
        TPropsStorage(ini, "Form", control.objectName() + "_")
            .LoadProperty(control, QString::fromLatin1(property));
    }
};

TEST_F(FormStorageProps, ProgramNamesReachOurComponentsAndPlainQtControlsAlike) {
    auto* spin = new TRxSpinEdit(&form);
    auto* combo = new QComboBox(&form);
    auto* label = new QLabel(&form);
    combo->addItems({"2048", "1024", "512"});
    combo->setCurrentIndex(1);
    label->setText("https://example.org/version.txt");

    EXPECT_EQ(StoredProperty::find(*spin, u"value")->name(), "Value");
    EXPECT_EQ(StoredProperty::find(*spin, u"MINVALUE")->name(), "MinValue");
    EXPECT_EQ(StoredProperty::find(*combo, u"ItemIndex")->read(), 1);
    EXPECT_EQ(StoredProperty::find(*combo, u"itemindex")->name(), "ItemIndex");
    EXPECT_EQ(StoredProperty::find(*combo, u"Text")->read(), "1024");
    EXPECT_EQ(StoredProperty::find(*label, u"Caption")->read(), label->text());
    EXPECT_FALSE(StoredProperty::find(*label, u"NoSuchThing"));
    // Read-only Qt properties are no stored properties.
    EXPECT_FALSE(StoredProperty::find(*combo, u"count"));

    const std::optional<StoredProperty> left = StoredProperty::find(*label, u"Left");
    ASSERT_TRUE(left);
    EXPECT_TRUE(left->write(37));
    EXPECT_EQ(label->x(), 37);
    StoredProperty::find(*label, u"height")->write(21);
    EXPECT_EQ(label->height(), 21);
}

TEST_F(FormStorageProps, EachKindIsWrittenAsItsTextAndRestoredFromIt) {
    auto* spin = new TRxSpinEdit(&form);
    spin->setObjectName("Sigmaeventsigma");
    spin->setValueType(TRxSpinEdit::TValueType::vtFloat);
    spin->setDecimal(1);
    spin->setValue(2.5L);
    auto* slider = new TRxSlider(&form);
    slider->setObjectName("Layer1slider");
    slider->setMinValue(-50);
    slider->setMaxValue(1000);
    slider->setValue(-20);
    slider->setOptions(TRxSlider::soShowFocus | TRxSlider::soSmooth);
    auto* check = new TPCheck(&form);
    check->setObjectName("Autofilter");
    check->setChecked(true);
    check->setImageType(TPCheck::igHookBlue);
    auto* label = new QLabel(&form);
    label->setObjectName("VersionNo");
    auto* combo = new QComboBox(&form);
    combo->setObjectName("Languagebox");
    combo->addItems({"lang_de", "lang_en", "lang_fr"});
    combo->setCurrentIndex(1);

    store(*spin, "Value");
    store(*slider, "Value");
    store(*slider, "Options");
    store(*check, "Checked");
    store(*check, "ImageType");
    store(*label, "Caption");
    store(*combo, "Text");
    EXPECT_EQ(stored("Sigmaeventsigma_Value"), "2.5");
    EXPECT_EQ(stored("Layer1slider_Value"), "-20");
    EXPECT_EQ(stored("Layer1slider_Options"), "[soShowFocus,soSmooth]");
    EXPECT_EQ(stored("Autofilter_Checked"), "True");
    EXPECT_EQ(stored("Autofilter_ImageType"), "igHookBlue");
    EXPECT_EQ(stored("VersionNo_Caption"), "");  // strings are written even when empty
    EXPECT_EQ(stored("Languagebox_Text"), "lang_en");

    ini.WriteString("Form", "Sigmaeventsigma_Value", " 12 ");
    ini.WriteString("Form", "Layer1slider_Value", "400");
    ini.WriteString("Form", "Layer1slider_Options", "[ soshowpoints , soThumbOpaque, nonsense ]");
    ini.WriteString("Form", "Autofilter_Checked", "false");
    ini.WriteString("Form", "Autofilter_ImageType", "IGCIRCE");
    // Values are trimmed: blanks around a string do not reach the control either.
    ini.WriteString("Form", "VersionNo_Caption", "  https://example.org/v.txt \t ");
    ini.WriteString("Form", "Languagebox_Text", "lang_fr");
    load(*spin, "Value");
    load(*slider, "Value");
    load(*slider, "Options");
    load(*check, "Checked");
    load(*check, "ImageType");
    load(*label, "Caption");
    load(*combo, "Text");
    EXPECT_EQ(spin->Value(), 12.0L);
    EXPECT_EQ(slider->Value(), 400);
    EXPECT_EQ(slider->Options(), TRxSlider::soShowPoints | TRxSlider::soThumbOpaque);
    EXPECT_FALSE(check->Checked());
    EXPECT_EQ(check->ImageType(), TPCheck::igCirce);
    EXPECT_EQ(label->text(), "https://example.org/v.txt");
    EXPECT_EQ(combo->currentIndex(), 2);
}

TEST_F(FormStorageProps, TextsThatAreNoValueLeaveTheControlAsItIsButBadIntegersReadAsZero) {
    auto* spin = new TRxSpinEdit(&form);
    spin->setObjectName("QualityFilter");
    spin->setValue(7);
    auto* check = new TPCheck(&form);
    check->setObjectName("Checkupdates");
    check->setChecked(true);
    auto* combo = new QComboBox(&form);
    combo->setObjectName("Fittifstretch");
    combo->addItems({"Fit", "Stretch"});
    combo->setCurrentIndex(1);

    for (const auto& [key, text] : {std::pair{"QualityFilter_Value", "seven"},
                                    {"Checkupdates_Checked", "Yes"},
                                    {"Fittifstretch_ItemIndex", "1.5"}}) {
        ini.WriteString("Form", key, text);
    }
    load(*spin, "Value");
    load(*check, "Checked");
    load(*combo, "ItemIndex");
    EXPECT_EQ(spin->Value(), 7.0L);
    EXPECT_TRUE(check->Checked());
    EXPECT_EQ(combo->currentIndex(), 0) << "an integer that is no number reads as 0";

    // A key that is not there keeps the value too.
    ini.EraseSection("Form");
    load(*spin, "Value");
    EXPECT_EQ(spin->Value(), 7.0L);
}

}  // namespace
}  // namespace kestrave
