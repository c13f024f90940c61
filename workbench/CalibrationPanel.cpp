#include "CalibrationPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "Activity.h"
#include "ReadingObserver.h"
#include "SensorConnection.h"
#include "kvcal3/ISensCalibration.h"
#include "kvcal3/InputRanges.h"
#include "kvcal3/LibraryUse.h"
#include "kvcal3/ui/QtUserInteraction.h"
#include "kvcal3/ui/ReadingPlot.h"
#include "kvcom3/Journal.h"
#include "kvcom3/VbTypes.h"
#include "kvcom3/kvArrayNode.h"

namespace {

QString number(double value) {
    return QString::fromStdString(kvcom3::doubleToText(value));
}

QString rangeText(const kvcal3::InputRange& range) {
    switch (range.kind) {
        case kvcal3::InputKind::Text: return "text";
        case kvcal3::InputKind::Integer:
            return QString("whole number, %1 … %2").arg(number(range.low), number(range.high));
        case kvcal3::InputKind::Number: break;
    }
    return QString("%1 … %2").arg(number(range.low), number(range.high));
}

QString inputText(const kvcal3::kvCalProcInput& input) {
    return kvcal3::isNotSet(input) ? QString() : QString::fromStdString(input.Value.toString());
}

}  // namespace

CalibrationPanel::CalibrationPanel(SensorConnection& connection, Activity& activity,
                                   QWidget* parent)
    : QWidget(parent), connection_(connection), activity_(activity) {
    readButton = new QPushButton("Read procedures", this);
    channel = new QComboBox(this);
    procedure = new QComboBox(this);
    inputs = new QGroupBox("Inputs (empty: the procedure asks or measures)", this);
    inputForm = new QFormLayout(inputs);
    showReadings = new QCheckBox("Watch the raw signal settle first", this);
    runButton = new QPushButton("Run", this);
    rawSignal = new QLabel(this);
    plot = new kvcal3::ui::ReadingPlot(this);
    plot->setAxesVisible(true);
    plot->setMinimumHeight(160);
    changes = new QTableWidget(0, 3, this);
    changes->setHorizontalHeaderLabels({"Cell", "Old", "New"});
    changes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    changes->verticalHeader()->setVisible(false);
    changes->horizontalHeader()->setStretchLastSection(true);

    auto* choice = new QFormLayout;
    choice->addRow("Channel", channel);
    choice->addRow("Procedure", procedure);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(readButton);
    buttons->addStretch();
    buttons->addWidget(showReadings);
    buttons->addWidget(runButton);
    auto* form = new QVBoxLayout;
    form->addLayout(choice);
    form->addWidget(inputs);
    form->addLayout(buttons);
    form->addWidget(new QLabel("Cells the last run changed", this));
    form->addWidget(changes, 1);
    auto* signal = new QVBoxLayout;
    signal->addWidget(rawSignal);
    signal->addWidget(plot, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(form, 1);
    layout->addLayout(signal, 1);

    connect(readButton, &QPushButton::clicked, this, &CalibrationPanel::readProcedures);
    connect(runButton, &QPushButton::clicked, this, &CalibrationPanel::runProcedure);
    connect(channel, &QComboBox::currentIndexChanged, this, &CalibrationPanel::channelChosen);
    connect(procedure, &QComboBox::currentIndexChanged, this, &CalibrationPanel::procedureChosen);
    connect(&activity_, &Activity::busyChanged, this, &CalibrationPanel::updateState);
    updateState();
}

CalibrationPanel::~CalibrationPanel() = default;

bool CalibrationPanel::readProcedures() {
    const auto sensor = connection_.sensor();
    if (!sensor) return false;
    auto calibration = std::make_unique<kvcal3::ISensCalibration>();
    const bool ok = activity_.run("Reading the procedures", [&] {
        kvcal3::LibraryUse use(*calibration, sensor, nullptr);
        calibration->Channels();
    });
    // A catalogue whose build failed half way is dropped, not shown.
    if (!ok) return false;
    calibration_ = std::move(calibration);
    channel->clear();
    for (const auto& c : *calibration_->Channels())
        channel->addItem(QString::fromStdString(c->Name), QString::fromStdString(c->Key));
    updateState();
    return true;
}

void CalibrationPanel::channelChosen() {
    procedure->clear();
    if (!calibration_ || channel->currentIndex() < 0) return;
    const auto c = calibration_->Channels()->Item(channel->currentData().toString().toStdString());
    for (const auto& p : *c->Procedures())
        procedure->addItem(QString::fromStdString(p->Name), QString::fromStdString(p->Key));
}

std::shared_ptr<kvcal3::kvCalProcedure> CalibrationPanel::chosenProcedure() const {
    if (!calibration_ || channel->currentIndex() < 0 || procedure->currentIndex() < 0)
        return nullptr;
    const auto c = calibration_->Channels()->Item(channel->currentData().toString().toStdString());
    return c->Procedures()->Item(procedure->currentData().toString().toStdString());
}

void CalibrationPanel::procedureChosen() {
    while (inputForm->rowCount() > 0) inputForm->removeRow(0);
    inputFields.clear();
    const auto p = chosenProcedure();
    if (!p) return;
    for (const auto& input : *p->InputVariables()) {
        auto* field = new QLineEdit(inputText(*input));
        field->setObjectName(QString::fromStdString(input->Key));
        field->setPlaceholderText("not set");
        auto* row = new QWidget;
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        line->addWidget(field, 1);
        line->addWidget(new QLabel(rangeText(kvcal3::inputRange(input->Key))));
        inputForm->addRow(QString::fromStdString(input->Name), row);
        inputFields.push_back(field);
    }
    updateState();
}

bool CalibrationPanel::runProcedure() {
    const auto sensor = connection_.sensor();
    const auto p = chosenProcedure();
    if (!sensor || !p) return false;
    changes->setRowCount(0);
    auto interaction = std::make_shared<ReadingObserver>(
        std::make_shared<kvcal3::ui::QtUserInteraction>(window()),
        [this] {
            history_.Clear();
            plot->Cls();
        },
        [this](float value) { reading(value); });
    std::vector<kvcom3::CellChange> changed;
    bool checked = false;
    const bool ok = activity_.run(QString::fromStdString(p->Name), [&] {
        // Every field is judged before the first is taken, and all before the sensor is reached.
        std::vector<kvcom3::Variant> values;
        for (QLineEdit* field : inputFields) {
            const QString text = field->text().trimmed();
            values.push_back(text.isEmpty()
                                 ? kvcom3::Variant(kvcal3::NotSetMarker)
                                 : kvcal3::checkedInputValue(field->objectName().toStdString(),
                                                             text.toStdString()));
        }
        for (std::size_t i = 0; i < values.size(); ++i)
            kvcal3::findInput(*p, inputFields[i]->objectName().toStdString())->Value = values[i];
        checked = true;
        kvcal3::LibraryUse use(*calibration_, sensor, interaction);
        const kvcom3::EepromChangeWatch watch(*sensor);
        if (showReadings->isChecked()) p->ShowReadings();
        kvcom3::setJournalOperation("calibrate " + p->Key);
        p->Run();
        changed = watch.changed();
    });
    // The procedure may have used up its inputs: the form shows what they hold now.
    if (checked)
        for (QLineEdit* field : inputFields)
            field->setText(inputText(*kvcal3::findInput(*p, field->objectName().toStdString())));
    if (ok) showChanges(changed);
    return ok;
}

void CalibrationPanel::reading(float value) {
    history_.Add(value);
    plot->Show(history_);
    rawSignal->setText(QString::fromStdString(kvcal3::rawSignalText(value)));
}

void CalibrationPanel::showChanges(const std::vector<kvcom3::CellChange>& changed) {
    changes->setRowCount(static_cast<int>(changed.size()));
    for (int row = 0; row < changes->rowCount(); ++row) {
        const kvcom3::CellChange& c = changed[static_cast<std::size_t>(row)];
        changes->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(c.cell->Key())));
        changes->setItem(row, 1, new QTableWidgetItem(QString::number(c.before)));
        changes->setItem(row, 2, new QTableWidgetItem(QString::number(c.after)));
    }
}

void CalibrationPanel::connectionChanged(bool) {
    // The catalogue belongs to the sensor it was built for.
    calibration_.reset();
    channel->clear();
    changes->setRowCount(0);
    history_.Clear();
    plot->Cls();
    rawSignal->clear();
    updateState();
}

void CalibrationPanel::updateState() {
    const bool idle = connection_.isOpen() && !activity_.busy();
    // The form stays as the running procedure took it.
    for (QWidget* part :
         std::initializer_list<QWidget*>{readButton, channel, procedure, inputs, showReadings})
        part->setEnabled(idle);
    runButton->setEnabled(idle && chosenProcedure() != nullptr);
}
