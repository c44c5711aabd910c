#include "SettingsApplyDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "SensorParams.h"
#include "Translated.h"

namespace ui {

namespace {

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
        if (row.writable) {
            flags |= Qt::ItemIsUserCheckable;
            nameItem->setCheckState(row.tickedByDefault ? Qt::Checked : Qt::Unchecked);
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
    }
    Table->resizeColumnsToContents();
    Table->horizontalHeader()->setStretchLastSection(true);
    Table->setMinimumWidth(520);
    Table->setMinimumHeight(Table->verticalHeader()->length() +
                            Table->horizontalHeader()->height() + 4);
    layout->addWidget(Table);

    auto* buttons = new QDialogButtonBox(this);
    WriteButton = buttons->addButton(tr("Записать отмеченное"), QDialogButtonBox::AcceptRole);
    WriteButton->setObjectName(QStringLiteral("WriteButton"));
    QPushButton* cancel = buttons->addButton(tr("Отмена"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    WriteButton->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    WriteButton->setFocus();
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
