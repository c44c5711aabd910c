#include "TForm6.h"

#include <QCoreApplication>
#include <QEvent>
#include <initializer_list>
#include <utility>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <cmath>

#include "ConfigLink.h"
#include "OutputSettingsDialog.h"
#include "OutputSettingsView.h"
#include "SensorParams.h"
#include "UiStyle.h"

// The two lists as the dialog's logic fills them.
class TForm6::ListsView : public dut::config::OutputSettingsView {
  public:
    explicit ListsView(TForm6& form) : form_(form) {}

    void setResolutionEnabled(bool enabled) override { form_.ComboBox1->setEnabled(enabled); }
    void setResolutionIndex(int index) override { select(form_.ComboBox1, index); }
    void setIntervalEnabled(bool enabled) override { form_.ComboBox2->setEnabled(enabled); }
    void setIntervalIndex(int index) override { select(form_.ComboBox2, index); }
    void raise() override {
        form_.QWidget::raise();
        form_.activateWindow();
    }

  private:
    // A selection made here reflects what the sensor holds; writing it back would be
    // pointless at best; the blocker keeps the change signal, which writes, quiet.
    static void select(QComboBox* list, int index) {
        const QSignalBlocker quiet(list);
        list->setCurrentIndex(index);
    }

    TForm6& form_;
};

namespace {

// Typing into the resolution list opens it instead of picking an item by its first letter.
class DropOnTypingComboBox : public QComboBox {
  public:
    using QComboBox::QComboBox;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        const QString typed = event->text();
        if (!typed.isEmpty() && typed.at(0).isPrint() &&
            !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            showPopup();
            return;
        }
        QComboBox::keyPressEvent(event);
    }
};

}  // namespace

TForm6::TForm6(dut::ConfigLink& link, QWidget* parent)
    : ui::FormDialog(parent), listsView_(std::make_unique<ListsView>(*this)) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        scale_ = screen->logicalDotsPerInchY() / 96.0;
    }
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QString());
    setWindowIcon(ui::appIcon());
    setFont(ui::uiFont(px(11)));

    Label1 = ui::makeLabel(this, QString(), px(16), px(16), -1, -1, font());
    ComboBox1 = new DropOnTypingComboBox(this);
    ComboBox1->addItems({QString(), QString()});
    ComboBox1->setCurrentIndex(0);
    ComboBox1->setGeometry(px(152), px(12), px(145), ComboBox1->sizeHint().height());

    Label2 = ui::makeLabel(this, QString(), px(16), px(48), -1, -1, font());
    ComboBox2 = new QComboBox(this);
    // The intervals the sensor takes, in the order and with the labels of the parameter map.
    for (const dut::param::IntervalChoice& choice : dut::param::kIntervalChoices) {
        ComboBox2->addItem(QString::fromUtf8(choice.label));  // translated below
    }
    ComboBox2->setCurrentIndex(0);
    ComboBox2->setGeometry(px(192), px(48), px(145), ComboBox2->sizeHint().height());

    QWidget::setTabOrder(ComboBox1, ComboBox2);
    ComboBox1->setFocus();

    // Only the user's changes write: choosing the item already shown changes nothing, and
    // selections made in code are made with the signals blocked.
    connect(ComboBox1, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &TForm6::ComboBox1Change);
    connect(ComboBox2, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &TForm6::ComboBox2Change);

    retranslateUi();
    ui::nameControls({
        {Label1, "Label1"},
        {ComboBox1, "ComboBox1"},
        {Label2, "Label2"},
        {ComboBox2, "ComboBox2"},
    });

    ui::setOuterSize(this, px(487), px(350));
    logic_ = std::make_unique<dut::config::OutputSettingsDialog>(link, *listsView_);
}

TForm6::~TForm6() = default;

int TForm6::px(int designed) const {
    return int(std::lround(designed * scale_));
}

void TForm6::showEvent(QShowEvent* event) {
    ui::FormDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TForm6::FormShow() {
    logic_->FormShow();
}

void TForm6::ComboBox1Change(int index) {
    logic_->ComboBox1Change(index);
}

void TForm6::ComboBox2Change(int index) {
    logic_->ComboBox2Change(index);
}

void TForm6::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslateUi();
    ui::FormDialog::changeEvent(event);
}

void TForm6::retranslateUi() {
    setWindowTitle(tr("Дополнительные параметры"));
    Label1->setText(ui::displayText(tr("Разрядность выхода LLS:")));
    Label1->adjustSize();
    Label2->setText(ui::displayText(tr("Переодическая выдача данных:")));
    Label2->adjustSize();
    ComboBox1->setItemText(0, tr("12 Бит (0..4095)"));
    ComboBox1->setItemText(1, tr("10 Бит (0..1023)"));
    for (std::size_t i = 0; i < dut::param::kIntervalChoices.size(); ++i) {
        ComboBox2->setItemText(int(i), QCoreApplication::translate(
                                           "SensorParams", dut::param::kIntervalChoices[i].label));
    }
}
