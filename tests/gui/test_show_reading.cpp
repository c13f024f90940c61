#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "kvcal3/kvCalProcedure.h"
#include "kvcal3/ui/QtUserInteraction.h"
#include "kvcal3/ui/ReadingPlot.h"
#include "kvcal3/ui/frmShowReading.h"
#include "kvcom3/KvError.h"
#include "unit_cal/CalFixture.h"

using namespace kvcal3;
using kvcal3::ui::frmShowReading;

namespace {

// One application for all tests; without a display the widgets are drawn off screen.
void ensureApplication() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "kvcal3_gui_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's own globals may already be gone when static objects are.
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

class ShowReading : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ensureApplication(); }

    // Runs `step` on the display once the modal loop is running and its first reading is in.
    static void whenShown(frmShowReading& form, std::function<void()> step) {
        QTimer::singleShot(0, &form, [&form, step] {
            QTRY_VERIFY_WITH_TIMEOUT(form.History().Count() >= 1, 5000);
            form.Timer1->stop();
            step();
        });
    }

    int reads = 0;
    RawSignalReader counter = [this] { return 40000.0f + 100.0f * static_cast<float>(++reads); };
};

}  // namespace

TEST_F(ShowReading, CaptionsAndLayoutOrder) {
    frmShowReading form;
    EXPECT_EQ(form.windowTitle(), "Form1");
    EXPECT_EQ(form.Label4->text(), "Please flow gas through the sensor and");
    EXPECT_EQ(form.Label1->text(), "wait until readings has stabilized,");
    EXPECT_EQ(form.Label3->text(), "then click next to continue or cancel to abort.");
    EXPECT_EQ(form.Command1->text(), "Cancel");
    EXPECT_EQ(form.Command2->text(), "Next");
    const QWidget* topToBottom[] = {form.Label4, form.Label1,   form.Label3,
                                    form.Label2, form.Picture1, form.Command1};
    for (int i = 1; i < 6; ++i) {
        EXPECT_GT(topToBottom[i]->geometry().top(), topToBottom[i - 1]->geometry().top()) << i;
    }
    EXPECT_EQ(form.Command1->geometry().top(), form.Command2->geometry().top());
    EXPECT_LT(form.Command1->geometry().left(), form.Command2->geometry().left())
        << "Cancel on the left";
}

TEST_F(ShowReading, NextReturnsWithTheReadingShown) {
    frmShowReading form;
    QString shownSignal;
    whenShown(form, [&] {
        shownSignal = form.Label2->text();
        QTest::mouseClick(form.Command2, Qt::LeftButton);
    });
    EXPECT_EQ(form.ShowModal("Expose the sensor to zero gas and", counter), ReadingChoice::Next);
    EXPECT_EQ(shownSignal, "Raw signal: 40100") << "the first reading comes at once";
    EXPECT_EQ(form.Label4->text(), "Expose the sensor to zero gas and");
    EXPECT_FALSE(form.isVisible());
}

TEST_F(ShowReading, OnlyNextGoesAhead) {
    struct Row {
        const char* way;
        std::function<void(frmShowReading&)> act;
        ReadingChoice expected;
    };
    const Row rows[] = {
        {"Next", [](frmShowReading& f) { QTest::mouseClick(f.Command2, Qt::LeftButton); },
         ReadingChoice::Next},
        // The worst case for Enter: the focus on Cancel.
        {"Enter", [](frmShowReading& f) { QTest::keyClick(f.Command1, Qt::Key_Return); },
         ReadingChoice::Next},
        {"Cancel", [](frmShowReading& f) { QTest::mouseClick(f.Command1, Qt::LeftButton); },
         ReadingChoice::Cancel},
        {"Escape", [](frmShowReading& f) { QTest::keyClick(&f, Qt::Key_Escape); },
         ReadingChoice::Cancel},
        {"window close", [](frmShowReading& f) { f.close(); }, ReadingChoice::Cancel},
    };
    frmShowReading form;
    EXPECT_TRUE(form.Command2->isDefault());
    for (const Row& row : rows) {
        whenShown(form, [&] { row.act(form); });
        EXPECT_EQ(form.ShowModal("p", counter), row.expected) << row.way;
        EXPECT_FALSE(form.isVisible()) << row.way;
    }
}

TEST_F(ShowReading, PlotsTheKnownSeries) {
    frmShowReading form;
    std::vector<PlotLine> lines;
    QList<QPointF> points;
    whenShown(form, [&] {
        form.Tick();
        form.Tick();
        lines = form.Picture1->Lines();
        points = form.Picture1->series()->points();
        QTest::mouseClick(form.Command2, Qt::LeftButton);
    });
    form.ShowModal("p", counter);
    // Readings 40100, 40200, 40300: scaled on the earlier 40200 with the margin of 100.
    const double w = form.Picture1->width();
    const double h = form.Picture1->height();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_DOUBLE_EQ(lines[0].x1, 0.7 * w);
    EXPECT_DOUBLE_EQ(lines[0].y1, h);
    EXPECT_DOUBLE_EQ(lines[0].y2, h / 2);
    EXPECT_DOUBLE_EQ(lines[1].x2, 0.9 * w);
    EXPECT_DOUBLE_EQ(lines[1].y2, 0);
    EXPECT_EQ(form.Label2->text(), "Raw signal: 40300");
    // The chart draws the same three readings at the window's last places.
    EXPECT_EQ(points, (QList<QPointF>{{7, 40100}, {8, 40200}, {9, 40300}}));
}

TEST_F(ShowReading, AReaderErrorClosesTheDisplayAndIsRaised) {
    frmShowReading form;
    RawSignalReader failing = []() -> float { throw kvcom3::KvError(1110, "Object not found"); };
    try {
        form.ShowModal("p", failing);
        FAIL();
    } catch (const kvcom3::KvError& e) {
        EXPECT_EQ(e.number(), 1110);
    }
    EXPECT_FALSE(form.isVisible());
}

namespace {

// The display on the Qt look, driven by a procedure against the virtual sensor.
class ShowReadingsOnSensor : public CalFixture {
  protected:
    static void SetUpTestSuite() { ensureApplication(); }
    void SetUp() override {
        CalFixture::SetUp();
        qt = std::make_shared<ui::QtUserInteraction>();
        setUserInteraction(qt);
        connect("p8-co2-temp-rh");
    }
    void clickOnceRead(QPushButton* ui::frmShowReading::*button) {
        frmShowReading& form = qt->Display();
        QTimer::singleShot(0, &form, [&form, button] {
            QTRY_VERIFY_WITH_TIMEOUT(form.History().Count() >= 1, 5000);
            QTest::mouseClick(form.*button, Qt::LeftButton);
        });
    }

    std::shared_ptr<ui::QtUserInteraction> qt;
};

}  // namespace

TEST_F(ShowReadingsOnSensor, CancelGives32755AndNextReturns) {
    auto zero = procedure("cpCO2ZeroCal");
    clickOnceRead(&frmShowReading::Command1);
    const kvcom3::KvError e = errorOf([&] { zero->ShowReadings(); });
    EXPECT_EQ(e.number(), 32755);
    EXPECT_EQ(e.description(), "Cancel was selected ");

    clickOnceRead(&frmShowReading::Command2);
    zero->ShowReadings();
    EXPECT_EQ(qt->Display().Label4->text(), "Expose the sensor to zero gas and");
    EXPECT_EQ(qt->Display().Label2->text(), QString("Raw signal: %1").arg(cell("raChan_14")))
        << "the raw CO2 signal of the sensor";
}
