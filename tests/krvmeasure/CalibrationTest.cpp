// Calibrations: typed input checked, the calibrate flow through the mouse, the table kept
// across runs, a damaged file refused without losing it, and the calibration list menu.

#include "MeasureFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace krvmeasure;
using namespace krvmeasure::test;

namespace {

CalibrationInput typed(const QString& length, Unit unit = Unit::Micrometre,
                       const QString& name = QStringLiteral("10x")) {
    return {name, length, unit};
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(CalibrationInputTest, SoundInputGivesPixelsPerUnit) {
    const auto result = calibrationFromInput(100, typed(QStringLiteral(" 10 ")));
    ASSERT_TRUE(std::holds_alternative<Calibration>(result));
    const auto& c = std::get<Calibration>(result);
    EXPECT_DOUBLE_EQ(c.pixelsPerUnit, 10);
    EXPECT_EQ(c.unit, Unit::Micrometre);
    EXPECT_EQ(c.name, QStringLiteral("10x"));
}

TEST(CalibrationInputTest, BadInputIsRefusedWithAReason) {
    for (const QString& text :
         {QStringLiteral("0"), QStringLiteral("-5"), QStringLiteral("abc"), QStringLiteral(""),
          QStringLiteral("nan"), QStringLiteral("inf"), QStringLiteral("1e-300")}) {
        const auto result = calibrationFromInput(100, typed(text));
        ASSERT_TRUE(std::holds_alternative<QString>(result)) << text.toStdString();
        EXPECT_FALSE(std::get<QString>(result).isEmpty());
    }
    EXPECT_TRUE(std::holds_alternative<QString>(calibrationFromInput(
        100, typed(QStringLiteral("5"), Unit::Micrometre, QStringLiteral(" ")))));
    EXPECT_TRUE(
        std::holds_alternative<QString>(calibrationFromInput(0, typed(QStringLiteral("5")))));
}

TEST(CalibrationInputTest, TablesWithRepeatedNamesOrBadScalesAreInvalid) {
    EXPECT_TRUE(whyInvalid({{"a", 1, Unit::Millimetre}, {"b", 2, Unit::Inch}}).isEmpty());
    EXPECT_FALSE(whyInvalid({{"a", 1, Unit::Millimetre}, {"A", 2, Unit::Inch}}).isEmpty());
    EXPECT_FALSE(whyInvalid({{"a", 0, Unit::Millimetre}}).isEmpty());
    EXPECT_FALSE(whyInvalid({{"a", -3, Unit::Millimetre}}).isEmpty());
    EXPECT_FALSE(whyInvalid({{"", 3, Unit::Millimetre}}).isEmpty());
}

using CalibrateFlow = MeasureFixture;

TEST_F(CalibrateFlow, DrawnLineAndTypedLengthMakeTheActiveCalibration) {
    dialogs->calibrationAnswers.push_back(typed(QStringLiteral("10")));
    ASSERT_NE(CKRMeasure::MenuItemEvent(ItemCode::Calibrate, measure.get()), 0);
    drag({0, 0}, {60, 80});  // 100 display pixels at 100 %
    ASSERT_EQ(dialogs->calibrationLengths.size(), 1u);
    EXPECT_DOUBLE_EQ(dialogs->calibrationLengths[0], 100);
    EXPECT_TRUE(dialogs->errors.empty());
    EXPECT_EQ(measure->ActiveCalibration(), (Calibration{"10x", 10, Unit::Micrometre}));
    // The calibration line is not a measurement, and the mode returns to Select.
    EXPECT_TRUE(measure->Items().empty());
    EXPECT_EQ(CKRMeasure::GetCurSelItem(), 0u);

    // Figures now come in micrometres.
    ASSERT_TRUE(measure->AddItem({ItemKind::Line, {{0, 0}, {300, 400}}, {}}));
    const auto table = measure->Table();
    ASSERT_EQ(table.rows().size(), 1u);
    EXPECT_DOUBLE_EQ(table.rows()[0].value, 50);
    EXPECT_EQ(table.rows()[0].unit, QStringLiteral("µm"));
}

TEST_F(CalibrateFlow, LineDrawnAtAZoomIsMeasuredInPicturePixels) {
    measure->SetScale(4.0f);
    dialogs->calibrationAnswers.push_back(typed(QStringLiteral("20"), Unit::Nanometre));
    CKRMeasure::MenuItemEvent(ItemCode::Calibrate, measure.get());
    click({0, 0});
    click({400, 0});  // 400 display pixels = 100 picture pixels
    EXPECT_DOUBLE_EQ(measure->ActiveCalibration().pixelsPerUnit, 5);
    EXPECT_EQ(measure->ActiveCalibration().unit, Unit::Nanometre);
}

TEST_F(CalibrateFlow, RefusedInputChangesNothing) {
    dialogs->calibrationAnswers.push_back(typed(QStringLiteral("-10")));
    CKRMeasure::MenuItemEvent(ItemCode::Calibrate, measure.get());
    drag({0, 0}, {100, 0});
    ASSERT_EQ(dialogs->errors.size(), 1u);
    EXPECT_TRUE(dialogs->errors[0].contains("greater than zero"));
    EXPECT_EQ(measure->ActiveCalibration().unit, Unit::Pixel);
    EXPECT_TRUE(measure->GetActiveCalibrateList()->empty());
    EXPECT_FALSE(QFile::exists(defaultCalibrationPath()));
}

TEST_F(CalibrateFlow, SelectedLineCalibratesAtOnce) {
    ASSERT_TRUE(measure->AddItem({ItemKind::Line, {{10, 10}, {10, 260}}, {}}));
    click({10, 100});  // select the line
    ASSERT_EQ(measure->SelectedItem(), 0);
    dialogs->calibrationAnswers.push_back(typed(QStringLiteral("1"), Unit::Millimetre));
    EXPECT_NE(CKRMeasure::MenuItemEvent(ItemCode::Calibrate, measure.get()), 0);
    EXPECT_DOUBLE_EQ(measure->ActiveCalibration().pixelsPerUnit, 250);
}

TEST_F(CalibrateFlow, CalibrationsSurviveARestart) {
    dialogs->calibrationAnswers.push_back(typed(QStringLiteral("10"), Unit::Micrometre, "10x"));
    CKRMeasure::MenuItemEvent(ItemCode::Calibrate, measure.get());
    drag({0, 0}, {100, 0});
    dialogs->calibrationAnswers.push_back(typed(QStringLiteral("0.5"), Unit::Millimetre, "4x"));
    CKRMeasure::MenuItemEvent(ItemCode::Calibrate, measure.get());
    drag({0, 0}, {100, 0});
    measure.reset();

    FakeDialogs* second = nullptr;
    auto again = makeMeasure(second);
    const auto* names = again->GetActiveCalibrateList();
    ASSERT_EQ(*names, (std::vector<QString>{"10x", "4x"}));
    // A new picture starts with the calibration chosen last.
    EXPECT_EQ(again->ActiveCalibration(), (Calibration{"4x", 200, Unit::Millimetre}));
    again->SetActiveCalibrateList(0);
    EXPECT_EQ(again->ActiveCalibration().name, QStringLiteral("10x"));
    again->SetActiveCalibrateList(7);  // beyond the list: nothing happens
    EXPECT_EQ(again->ActiveCalibration().name, QStringLiteral("10x"));
    EXPECT_TRUE(second->errors.empty());
    // The file is complete JSON with no temporary file left beside it.
    const QDir folder = QFileInfo(defaultCalibrationPath()).dir();
    EXPECT_EQ(folder.entryList({"KRVMeasure*"}, QDir::Files), QStringList{"KRVMeasure.json"});
}

TEST_F(CalibrateFlow, RecalibratingAKnownNameReplacesIt) {
    for (const char* length : {"10", "20"}) {
        dialogs->calibrationAnswers.push_back(typed(QString::fromLatin1(length)));
        CKRMeasure::MenuItemEvent(ItemCode::Calibrate, measure.get());
        drag({0, 0}, {100, 0});
    }
    EXPECT_EQ(measure->GetActiveCalibrateList()->size(), 1u);
    EXPECT_DOUBLE_EQ(measure->ActiveCalibration().pixelsPerUnit, 5);
}

TEST_F(CalibrateFlow, CalibrationTableEditsAreKept) {
    CalibrationStore store;
    ASSERT_TRUE(
        store.save({{{"10x", 10, Unit::Micrometre}, {"40x", 40, Unit::Micrometre}}, "", 2}));
    dialogs->tableEdit = [](std::vector<Calibration>& table, int& active) {
        table.erase(table.begin());
        table[0].name = QStringLiteral("40x oil");
        active = 0;
        return true;
    };
    EXPECT_NE(CKRMeasure::MenuItemEvent(ItemCode::CalibrateTable, measure.get()), 0);
    EXPECT_EQ(*measure->GetActiveCalibrateList(), std::vector<QString>{"40x oil"});
    EXPECT_EQ(measure->ActiveCalibration().name, QStringLiteral("40x oil"));
    EXPECT_EQ(CalibrationStore().load().calibrations.size(), 1u);

    // An invalid edit is refused and nothing changes.
    dialogs->tableEdit = [](std::vector<Calibration>& table, int&) {
        table[0].pixelsPerUnit = 0;
        return true;
    };
    EXPECT_EQ(CKRMeasure::MenuItemEvent(ItemCode::CalibrateTable, measure.get()), 0);
    EXPECT_EQ(dialogs->errors.size(), 1u);
    EXPECT_DOUBLE_EQ(CalibrationStore().load().calibrations[0].pixelsPerUnit, 40);
    // Cancelled: zero, nothing changes.
    dialogs->tableEdit = nullptr;
    EXPECT_EQ(CKRMeasure::MenuItemEvent(ItemCode::CalibrateTable, measure.get()), 0);
}

TEST_F(CalibrateFlow, ListFollowsAnotherPicturesCalibration) {
    FakeDialogs* other = nullptr;
    auto second = makeMeasure(other);
    other->calibrationAnswers.push_back(typed(QStringLiteral("10")));
    CKRMeasure::MenuItemEvent(ItemCode::Calibrate, second.get());
    second->OnLButtonDown({0, 0});
    second->OnMouseMove({100, 0});
    second->OnLButtonUp({100, 0});
    EXPECT_EQ(measure->GetActiveCalibrateList()->size(), 1u);
    // The first picture keeps measuring in its own calibration until one is chosen.
    EXPECT_EQ(measure->ActiveCalibration().unit, Unit::Pixel);
}

TEST_F(CalibrateFlow, DamagedFileIsRefusedAndKept) {
    const QByteArray damaged = "{\"format\": \"Korvel measurement calibrations\", \"versi";
    writeFile(defaultCalibrationPath(), damaged);
    FakeDialogs* fake = nullptr;
    auto fresh = makeMeasure(fake);
    EXPECT_TRUE(fresh->GetActiveCalibrateList()->empty());
    EXPECT_EQ(fresh->ActiveCalibration().unit, Unit::Pixel);
    // The user hears of it once, at the first measuring command.
    CKRMeasure::MenuItemEvent(ItemCode::Line, fresh.get());
    CKRMeasure::MenuItemEvent(ItemCode::Line, fresh.get());
    ASSERT_EQ(fake->errors.size(), 1u);
    EXPECT_TRUE(fake->errors[0].contains("cannot be used"));
    EXPECT_EQ(readFile(defaultCalibrationPath()), damaged);

    // A new calibration replaces the file, but the damaged one is kept beside it.
    fake->calibrationAnswers.push_back(typed(QStringLiteral("10")));
    CKRMeasure::MenuItemEvent(ItemCode::Calibrate, fresh.get());
    fresh->OnLButtonDown({0, 0});
    fresh->OnMouseMove({100, 0});
    fresh->OnLButtonUp({100, 0});
    EXPECT_EQ(readFile(defaultCalibrationPath() + ".bad"), damaged);
    EXPECT_EQ(CalibrationStore().load().calibrations.size(), 1u);
}

TEST(CalibrationStoreTest, DamagedContentsOfEveryKindAreRefused) {
    const QString path = QDir::current().absoluteFilePath("store-test.json");
    const char* header = R"("format": "Korvel measurement calibrations", "version": 1, )";
    const std::vector<QByteArray> bad{
        "",
        "not json at all",
        "[1, 2, 3]",
        R"({"format": "something else", "version": 1, "calibrations": []})",
        QByteArray("{") + header + R"("calibrations": {}})",
        QByteArray("{") + header +
            R"("calibrations": [{"name": "a", "pixelsPerUnit": "x", "unit": "mm"}]})",
        QByteArray("{") + header +
            R"("calibrations": [{"name": "a", "pixelsPerUnit": -1, "unit": "mm"}]})",
        QByteArray("{") + header +
            R"("calibrations": [{"name": "a", "pixelsPerUnit": 1, "unit": "yard"}]})",
        QByteArray("{") + header +
            R"("calibrations": [{"name": "a", "pixelsPerUnit": 1, "unit": "mm"},)"
            R"( {"name": "a", "pixelsPerUnit": 2, "unit": "mm"}]})",
        QByteArray(5 * 1024 * 1024, ' '),
    };
    for (const QByteArray& bytes : bad) {
        writeFile(path, bytes);
        CalibrationStore store(path);
        const CalibrationFile content = store.load();
        EXPECT_TRUE(content.calibrations.empty());
        EXPECT_FALSE(store.lastError().isEmpty()) << bytes.left(80).toStdString();
    }
    // A sound file with an out-of-range precision is read with the precision clamped.
    writeFile(path, QByteArray("{") + header +
                        R"("precision": 99, "active": "a", "calibrations": [{"name": "a", )"
                        R"("pixelsPerUnit": 2.5, "unit": "µm"}]})");
    CalibrationStore store(path);
    const CalibrationFile content = store.load();
    EXPECT_TRUE(store.lastError().isEmpty()) << store.lastError().toStdString();
    EXPECT_EQ(content.precision, CalibrationStore::kMaximumPrecision);
    ASSERT_EQ(content.calibrations.size(), 1u);
    EXPECT_EQ(content.calibrations[0], (Calibration{"a", 2.5, Unit::Micrometre}));
    QFile::remove(path);
}

TEST(CalibrationStoreTest, UnwritableFolderFailsWithoutLosingTheOldFile) {
    const QString folder = QDir::current().absoluteFilePath("readonly-store");
    QDir().mkpath(folder);
    const QString path = folder + "/cal.json";
    CalibrationStore store(path);
    ASSERT_TRUE(store.save({{{"a", 2, Unit::Millimetre}}, "a", 3}));
    const QByteArray before = readFile(path);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    const bool saved = store.save({{{"b", 4, Unit::Millimetre}}, "b", 3});
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!saved) {  // (root may write anyway)
        EXPECT_FALSE(store.lastError().isEmpty());
        EXPECT_EQ(readFile(path), before);
    }
}

}  // namespace
