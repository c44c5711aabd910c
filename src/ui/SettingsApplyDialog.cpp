#include "SettingsApplyDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <optional>
#include <utility>

#include "LevelOrder.h"
#include "SensorParams.h"
#include "Translated.h"
#include "UiStyle.h"

namespace ui {

namespace {

// The file's full and empty levels, when both are there and full <= empty.
bool fileLevelsInverted(const std::vector<dut::settings::CompareRow>& rows) {
    std::optional<std::int32_t> full, empty;
    for (const dut::settings::CompareRow& row : rows) {
        if (row.parameter == dut::param::kFullLevel) full = row.inFile;
        if (row.parameter == dut::param::kEmptyLevel) empty = row.inFile;
    }
    return full && dut::config::levelsInverted(*full, empty);
}

bool isLevel(std::uint8_t parameter) {
    return parameter == dut::param::kFullLevel || parameter == dut::param::kEmptyLevel;
}

QString shown(std::uint8_t parameter, const std::optional<std::int32_t>& value) {
    if (!value) return SettingsApplyDialog::tr("нет ответа");
    return translatedCore(dut::settings::shownValue(parameter, *value));
}

}  // namespace

SettingsApplyDialog::SettingsApplyDialog(const QString& fileName,
                                         const dut::settings::SettingsDocument& document,
                                         const dut::settings::SensorReading& reading,
                                         QWidget* parent)
    : QDialog(parent), rows_(dut::settings::compare(document, reading)) {
    setObjectName(QStringLiteral("SettingsApplyDialog"));
    setWindowTitle(tr("Применить настройки"));
    auto* layout = new QVBoxLayout(this);

    QString heading = tr("Файл: %1\nДУТ № %2, сохранено %3.")
                          .arg(fileName)
                          .arg(document.sensorNumber)
                          .arg(QString::fromStdString(document.date));
    if (reading.sensorNumber != document.sensorNumber) {
        heading +=
            tr("\nПодключён другой датчик: уровни не отмечены, они принадлежат одному баку и одной "
               "длине датчика.");
    }
    const bool inverted = fileLevelsInverted(rows_);
    if (inverted) {
        heading +=
            tr("\nВ файле полный уровень не выше пустого: с ними у датчика не будет "
               "рабочего выхода. Уровни выделены и не отмечены.");
    }
    heading +=
        tr("\nОтметьте, что записать в датчик. Параметры только для чтения "
           "не записываются никогда.");
    auto* Label1 = new QLabel(heading, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    layout->addWidget(Label1);

    Table = new QTableWidget(static_cast<int>(rows_.size()), 3, this);
    Table->setObjectName(QStringLiteral("Table"));
    Table->setHorizontalHeaderLabels({tr("Параметр"), tr("В файле"), tr("В датчике")});
    Table->verticalHeader()->hide();
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int i = 0; i < static_cast<int>(rows_.size()); ++i) {
        const dut::settings::CompareRow& row = rows_[i];
        QString name = translatedCore(dut::settings::keyForParameter(row.parameter)->label);
        if (!row.writable) name += tr(" (только чтение)");
        auto* nameItem = new QTableWidgetItem(name);
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        const bool marked = inverted && isLevel(row.parameter);
        if (row.writable) {
            flags |= Qt::ItemIsUserCheckable;
            nameItem->setCheckState(row.tickedByDefault && !marked ? Qt::Checked : Qt::Unchecked);
        }
        nameItem->setFlags(flags);
        Table->setItem(i, 0, nameItem);
        for (const auto& [column, value] : {std::pair{1, row.inFile}, std::pair{2, row.inSensor}}) {
            auto* item = new QTableWidgetItem(shown(row.parameter, value));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            if (row.inFile != row.inSensor) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            Table->setItem(i, column, item);
        }
        if (marked) {
            for (int column = 0; column < 3; ++column) {
                Table->item(i, column)->setBackground(kMarkedRow);
                Table->item(i, column)->setForeground(QColor(Qt::black));
                Table->item(i, column)->setToolTip(tr("Полный уровень не выше пустого"));
            }
        }
    }
    Table->resizeColumnsToContents();
    Table->horizontalHeader()->setStretchLastSection(true);
    Table->setMinimumWidth(520);
    Table->setMinimumHeight(Table->verticalHeader()->length() +
                            Table->horizontalHeader()->height() + 4);
    layout->addWidget(Table);

    Status = new QLabel(this);
    Status->setObjectName(QStringLiteral("Status"));
    Status->setWordWrap(true);
    layout->addWidget(Status);

    auto* buttons = new QDialogButtonBox(this);
    WriteButton = buttons->addButton(tr("Записать отмеченное"), QDialogButtonBox::AcceptRole);
    WriteButton->setObjectName(QStringLiteral("WriteButton"));
    QPushButton* cancel = buttons->addButton(tr("Отмена"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    WriteButton->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &SettingsApplyDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    Buttons = buttons;
    WriteButton->setFocus();
}

void SettingsApplyDialog::setWriter(std::function<void(const std::vector<std::uint8_t>&)> writer) {
    writer_ = std::move(writer);
}

void SettingsApplyDialog::accept() {
    if (writer_ && !written_) {
        written_ = true;
        const std::vector<std::uint8_t> chosen = ticked();
        // The wait paints, so the line below and the greyed buttons show while it lasts.
        Status->setText(tr("Запись в датчик и проверка записанного (%1 знач.)… Ждём ответа "
                           "датчика.")
                            .arg(chosen.size()));
        Table->setEnabled(false);
        Buttons->setEnabled(false);
        writer_(chosen);
    }
    QDialog::accept();
}

std::vector<std::uint8_t> SettingsApplyDialog::ticked() const {
    std::vector<std::uint8_t> out;
    for (int i = 0; i < static_cast<int>(rows_.size()); ++i) {
        const QTableWidgetItem* item = Table->item(i, 0);
        if (rows_[i].writable && item->checkState() == Qt::Checked) {
            out.push_back(rows_[i].parameter);
        }
    }
    return out;
}

}  // namespace ui
