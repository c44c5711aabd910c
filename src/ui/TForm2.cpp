#include "TForm2.h"

#include <QEvent>
#include <initializer_list>
#include <utility>

#include <QResizeEvent>

#include "Application.h"
#include "LevelCorrectionDialog.h"
#include "LevelCorrectionView.h"
#include "QtNotifier.h"
#include "UiStyle.h"

// The two edit boxes as the dialog's logic reads and fills them.
class TForm2::EditsView : public dut::config::LevelCorrectionView {
  public:
    explicit EditsView(TForm2& form) : form_(form) {}

    std::string levelMaxText() const override { return form_.LEVELMAX->text().toStdString(); }
    void setLevelMaxText(const std::string& text) override {
        form_.LEVELMAX->setText(QString::fromStdString(text));
    }
    std::string levelMinText() const override { return form_.LEVELMIN->text().toStdString(); }
    void setLevelMinText(const std::string& text) override {
        form_.LEVELMIN->setText(QString::fromStdString(text));
    }

  private:
    TForm2& form_;
};

namespace {

ui::FlatLineEdit* makeFlatEdit(QWidget* parent, int x, int y, int w, int h) {
    auto* edit = new ui::FlatLineEdit(parent);
    edit->setText(QStringLiteral("0"));
    edit->setGeometry(x, y, w, h);
    return edit;
}

QPushButton* makeButton(QWidget* parent, const QString& text, int x, int y, int w, int h) {
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    button->setGeometry(x, y, w, h);
    return button;
}

}  // namespace

TForm2::TForm2(dut::ConfigLink& link, dut::config::MainValues& mainValues, QWidget* parent)
    : ui::FormDialog(parent), editsView_(std::make_unique<EditsView>(*this)) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QString());
    setWindowIcon(ui::pictureIcon(QStringLiteral("step3")));
    ui::makeWhiteWindow(this);

    Label3 = ui::makeLabel(this, QString(), 0, 0, 525, 33);
    Label3->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    Label1 = ui::makeLabel(this, QString(), 98, 61);
    LEVELMAX = makeFlatEdit(this, 168, 56, 121, 19);
    Button2 = makeButton(this, QString(), 296, 56, 129, 19);
    Label2 = ui::makeLabel(this, QString(), 104, 89);
    LEVELMIN = makeFlatEdit(this, 168, 88, 121, 19);
    Button3 = makeButton(this, QString(), 296, 88, 129, 19);
    Button1 = makeButton(this, QString(), 104, 144, 321, 19);

    QWidget::setTabOrder(LEVELMAX, Button2);
    QWidget::setTabOrder(Button2, LEVELMIN);
    QWidget::setTabOrder(LEVELMIN, Button3);
    QWidget::setTabOrder(Button3, Button1);
    LEVELMAX->setFocus();

    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm2::Button3Click);

    retranslateUi();
    ui::nameControls({
        {Label3, "Label3"},
        {Label1, "Label1"},
        {LEVELMAX, "LEVELMAX"},
        {Button2, "Button2"},
        {Label2, "Label2"},
        {LEVELMIN, "LEVELMIN"},
        {Button3, "Button3"},
        {Button1, "Button1"},
    });

    ui::setOuterSize(this, 525, 246);

    notifier_ = std::make_unique<ui::QtNotifier>(this);
    logic_ = std::make_unique<dut::config::LevelCorrectionDialog>(link, *editsView_, mainValues,
                                                                  *notifier_);
}

void TForm2::resizeEvent(QResizeEvent* event) {
    // The heading runs over the full width of the window.
    Label3->setGeometry(0, 0, event->size().width(), 33);
    ui::FormDialog::resizeEvent(event);
}

TForm2::~TForm2() = default;

void TForm2::copyLevelsFromMain() {
    logic_->open();
}

// A text that is not a number raises dut::ConversionError in the logic before anything is
// written; the handler shows it in the error box.
void TForm2::Button1Click() {
    ui::reportErrors([&] { logic_->Button1Click(); });
}

void TForm2::Button2Click() {
    ui::reportErrors([&] { logic_->Button2Click(); });
}

void TForm2::Button3Click() {
    ui::reportErrors([&] { logic_->Button3Click(); });
}

void TForm2::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslateUi();
    ui::FormDialog::changeEvent(event);
}

void TForm2::retranslateUi() {
    setWindowTitle(tr("Ручная корректировка Полного и Пустого"));
    Label3->setText(ui::displayText(
        tr("\r\n1. В этом окне можно в ручную ввести значения полного и пустого бака.")));
    Label1->setText(ui::displayText(tr("Полный бак:")));
    Label1->adjustSize();
    Button2->setText(tr("Установить"));
    Label2->setText(ui::displayText(tr("Пустой бак:")));
    Label2->adjustSize();
    Button3->setText(tr("Установть"));
    Button1->setText(tr("Расширить границы уровней на 5 %"));
}
