// The form storage's named values (scrambled under their key string), the window's size limits,
// and a placement kept in the registry stand-in instead of an INI file.

#include <gtest/gtest.h>

#include <QWidget>
#include <fstream>
#include <iterator>

#include "persist/big_ini_file.h"
#include "support/temp_dir.h"
#include "widget_test_support.h"
#include "widgets/component_text.h"
#include "widgets/form_storage.h"

namespace kestrave {
namespace {

struct StoredValuesTest : test::WidgetTest {
    test::ProgramDirScope home;
    std::filesystem::path iniFile = home.path() / "values.ini";
    QWidget window;
    TFormStorage* storage = nullptr;

    StoredValuesTest() {
        window.setObjectName("TestForm");
        storage = new TFormStorage(&window);
        storage->setIniFileName(iniFile);
        storage->setIniSection("Form");
        storage->setOptions({});
        storage->setActive(false);
    }
    std::string inFile(const std::string& key) const {
        return TBigIniFile(iniFile).ReadString("Form", key, "<none>");
    }
};

TEST_F(StoredValuesTest, ValuesRoundTripAndAKeyStringScramblesTheirText) {
    TStoredValues& values = storage->StoredValues();
    values.Add("Observer", "J. Doe");
    TStoredValue& secret = values.Add("Password", "Saturn 7");
    secret.KeyString = "moon";
    storage->SaveFormPlacement();

    EXPECT_EQ(inFile("Observer"), "J. Doe");
    EXPECT_EQ(inFile("Password"), XorEncode("moon", "Saturn 7"));
    EXPECT_EQ(inFile("Password").find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(inFile("Password").size(), 16u);

    values.Items(0).Value = "nobody";
    secret.Value = "changed";
    storage->RestoreFormPlacement();
    EXPECT_EQ(values.Items(0).Value.toString(), "J. Doe");
    EXPECT_EQ(secret.Value.toString(), "Saturn 7");
}

TEST_F(StoredValuesTest, ValuesComeAfterThePropertiesAndTheirEventsMayChangeThem) {
    TStoredValues& values = storage->StoredValues();
    TStoredValue& first = values.Add("First", 1);
    TStoredValue& second = values.Add("Second", 2);
    std::vector<QString> order;
    first.OnSave = [&](TStoredValue& sender, QVariant& value) {
        order.push_back(sender.Name());
        value = value.toInt() * 10;
    };
    second.OnSave = [&](TStoredValue& sender, QVariant&) { order.push_back(sender.Name()); };
    first.OnRestore = [&](TStoredValue&, QVariant& value) { value = value.toString() + "!"; };
    storage->SaveFormPlacement();
    EXPECT_EQ(order, (std::vector<QString>{"First", "Second"}));
    EXPECT_EQ(inFile("First"), "10");
    EXPECT_EQ(first.Value.toInt(), 1);  // the event changed only what was written

    storage->RestoreFormPlacement();
    EXPECT_EQ(first.Value.toString(), "10!");
    EXPECT_EQ(second.Value.toString(), "2");

    // A value missing from the file keeps its own value (scrambled and unscrambled alike).
    TStoredValue& missing = values.Add("Missing", "as it was");
    missing.KeyString = "k";
    storage->RestoreFormPlacement();
    EXPECT_EQ(missing.Value.toString(), "as it was");
}

TEST_F(StoredValuesTest, ANameIsUniqueWithoutCase) {
    TStoredValues& values = storage->StoredValues();
    values.Add("Target", "Jupiter");
    TStoredValue& other = values.Add("Other");
    EXPECT_THROW(other.setName("TARGET"), StoredValueNameError);
    EXPECT_EQ(other.Name(), "Other");
    EXPECT_THROW(values.Add("target"), StoredValueNameError);
    EXPECT_EQ(values.Count(), 2);
    other.setName("Other");  // its own name is no clash
    EXPECT_EQ(values.IndexOf("OTHER"), 1);

    TStoredValue& unnamed = values.Add();
    EXPECT_EQ(unnamed.GetDisplayName(), "TStoredValue2");
    unnamed.KeyString = "key";
    unnamed.Value = 5;
    EXPECT_THROW(unnamed.Assign(values.Items(0)), StoredValueNameError);
    values.Items(1).Assign(unnamed);
    EXPECT_EQ(values.Items(1).Value.toInt(), 5);
    EXPECT_EQ(values.Items(1).KeyString, "key");
    EXPECT_EQ(values.Items(1).Name(), "");
}

// ---- size limits ----

struct SizeLimits : test::WidgetTest {
    QWidget window;
    TFormPlacement* placement = new TFormPlacement(&window);
    SizeLimits() {
        window.setObjectName("LimitsForm");
        window.resize(400, 300);
        window.show();
    }
};

TEST_F(SizeLimits, PreventResizeFreezesTheSizeAndTakesTheMaximiseButtonAway) {
    window.setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    window.show();
    placement->setPreventResize(true);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    window.resize(600, 500);
    EXPECT_EQ(window.size(), QSize(400, 300));
    window.resize(100, 100);
    EXPECT_EQ(window.size(), QSize(400, 300));

    placement->setPreventResize(false);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    window.resize(600, 500);
    EXPECT_EQ(window.size(), QSize(600, 500));
}

TEST_F(SizeLimits, EachSetLimitNarrowsTheWindowAndClearingThemGivesItsOwnBack) {
    window.setMinimumSize(50, 40);
    TWinMinMaxInfo& info = placement->MinMaxInfo();
    info.setValue(TWinMinMaxInfo::MinTrackWidth, 300);
    info.setValue(TWinMinMaxInfo::MaxTrackWidth, 500);
    info.setValue(TWinMinMaxInfo::MaxTrackHeight, 450);
    window.resize(100, 100);
    EXPECT_EQ(window.size(), QSize(300, 100));  // the height has no lower limit of its own
    window.resize(900, 900);
    EXPECT_EQ(window.size(), QSize(500, 450));

    TWinMinMaxInfo none;
    placement->setMinMaxInfo(none);
    EXPECT_TRUE(placement->MinMaxInfo().DefaultMinMaxInfo());
    window.resize(60, 900);
    EXPECT_EQ(window.size(), QSize(60, 900));
    EXPECT_EQ(window.minimumSize(), QSize(50, 40));
}

TEST(MinMaxRequestRule, OnlyTheNonZeroFieldsReplaceTheirMembers) {
    TWinMinMaxInfo info;
    info.setValue(TWinMinMaxInfo::MaxPosLeft, -4);
    info.setValue(TWinMinMaxInfo::MaxSizeHeight, 700);
    info.setValue(TWinMinMaxInfo::MinTrackWidth, 120);
    const MinMaxRequest request =
        applyMinMaxInfo({QSize(1024, 768), QPoint(-8, -8), QSize(100, 30), QSize(1032, 776)}, info);
    EXPECT_EQ(request.maxSize, QSize(1024, 700));
    EXPECT_EQ(request.maxPosition, QPoint(-4, -8));
    EXPECT_EQ(request.minTrack, QSize(120, 30));
    EXPECT_EQ(request.maxTrack, QSize(1032, 776));

    int changes = 0;
    TWinMinMaxInfo copy;
    copy.OnChange = [&] { ++changes; };
    copy.Assign(info);
    EXPECT_EQ(copy, info);
    copy.setValue(TWinMinMaxInfo::MaxPosLeft, -4);  // the same value: no change
    EXPECT_EQ(changes, 1);
}

// ---- the registry stand-in ----

TEST_F(StoredValuesTest, WithUseRegistryTheSectionLiesUnderTheKeyInTheStoreOfTheRoot) {
    storage->setUseRegistry(true);
    storage->setIniFileName("Software\\Observatory");
    storage->setRegistryRoot(TFormPlacement::prLocalMachine);
    storage->StoredValues().Add("Site", "Backyard");
    storage->SaveFormPlacement();

    EXPECT_FALSE(std::filesystem::exists(iniFile));
    const std::filesystem::path machine = registryRootFile(TFormPlacement::prLocalMachine);
    EXPECT_EQ(machine.parent_path(), home.path());
    EXPECT_EQ(TBigIniFile(machine).ReadString("Software\\Observatory\\Form", "Site", ""), "Backyard");
    EXPECT_FALSE(std::filesystem::exists(registryRootFile(TFormPlacement::prCurrentUser)));

    // Each root is its own store; reading one that holds nothing creates nothing.
    storage->setRegistryRoot(TFormPlacement::prCurrentUser);
    storage->StoredValues().Items(0).Value = "Dome";
    storage->RestoreFormPlacement();
    EXPECT_EQ(storage->StoredValues().Items(0).Value.toString(), "Dome");
    EXPECT_FALSE(std::filesystem::exists(registryRootFile(TFormPlacement::prCurrentUser)));
    storage->setRegistryRoot(TFormPlacement::prLocalMachine);
    storage->RestoreFormPlacement();
    EXPECT_EQ(storage->StoredValues().Items(0).Value.toString(), "Backyard");

    // Without a key the program's own one is used.
    storage->setIniFileName({});
    EXPECT_EQ(storage->iniSection().rfind("Software\\", 0), 0u);
}

}  // namespace
}  // namespace kestrave
