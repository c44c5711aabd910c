#include "MainWindowView.h"

#include <QApplication>
#include <QPalette>
#include <QPen>
#include <algorithm>
#include <initializer_list>
#include <iostream>

#include "TForm1.h"
#include "TextInput.h"
#include "Translated.h"
#include "UiStyle.h"

namespace ui {
namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}
std::string s(const QString& text) {
    return text.toStdString();
}

const QColor kStatusGreen{0, 128, 0};

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette pal = widget->palette();
    pal.setColor(QPalette::WindowText, colour);
    widget->setPalette(pal);
}

void setShownText(QLabel* label, const std::string& text) {
    label->setText(displayText(q(text)));
}

}  // namespace

std::string MainWindowView::portText() const {
    return s(form_.COMSelect->currentText());
}

void MainWindowView::setPortItems(const std::vector<std::string>& items,
                                  const std::vector<std::string>& descriptions) {
    const QString typed = form_.COMSelect->currentText();
    QStringList names;
    for (const auto& item : items) names << q(item);
    // One batch: the list is cleared and refilled without a repaint in between.
    form_.COMSelect->setUpdatesEnabled(false);
    form_.COMSelect->clear();
    form_.COMSelect->addItems(names);
    // The fixed-width box has no room for a description after the path: it goes into the tip.
    for (int i = 0; i < names.size() && i < static_cast<int>(descriptions.size()); ++i) {
        if (!descriptions[i].empty()) {
            form_.COMSelect->setItemData(i, q(descriptions[i]), Qt::ToolTipRole);
        }
    }
    form_.COMSelect->setCurrentIndex(-1);
    form_.COMSelect->setEditText(typed);
    form_.COMSelect->setUpdatesEnabled(true);
}

void MainWindowView::setPortText(const std::string& text) {
    form_.COMSelect->setEditText(q(text));
}

void MainWindowView::setStatus(const std::string& text, dut::config::StatusColour colour) {
    form_.statusSaid_ = text;
    form_.ConnectStatusText->setText(displayText(translatedCore(text)));
    setStatusColour(colour);
}

void MainWindowView::reshowStatus(const QString& initial) {
    form_.ConnectStatusText->setText(
        displayText(form_.statusSaid_ ? translatedCore(*form_.statusSaid_) : initial));
    showStatusReason();
}

void MainWindowView::showStatusReason() {
    const QString text = translatedCore(form_.statusReasonSaid_);
    form_.ConnectStatusText->setToolTip(text);
    form_.ConnectStatusText->setAccessibleDescription(text);
}

void MainWindowView::setStatusColour(dut::config::StatusColour colour) {
    setTextColour(form_.ConnectStatusText,
                  colour == dut::config::StatusColour::Red ? kRed : kStatusGreen);
}

void MainWindowView::setStatusReason(const std::string& reason) {
    // The reconnect retries every two seconds: the terminal hears of a reason once, when it
    // first appears, not at every retry. It hears it as composed, for a support log.
    if (!reason.empty() && reason != form_.statusReasonSaid_) {
        std::cerr << "brindolex-dut-configurator: " << reason << std::endl;
    }
    form_.statusReasonSaid_ = reason;
    showStatusReason();
}

std::string MainWindowView::addressText() const {
    return s(form_.LLS_ADRESS->text());
}
void MainWindowView::setAddressText(const std::string& text) {
    form_.LLS_ADRESS->setText(q(text));
}

void MainWindowView::setAddressAlert(bool red) {
    QPalette pal = form_.LLS_ADRESS->palette();
    pal.setColor(QPalette::Base,
                 red ? kRed : QApplication::palette(form_.LLS_ADRESS).color(QPalette::Base));
    form_.LLS_ADRESS->setPalette(pal);
    form_.LLS_ADRESS->update();
}

void MainWindowView::focusAddress() {
    form_.LLS_ADRESS->setFocus(Qt::OtherFocusReason);
}

void MainWindowView::setLevelMaxText(const std::string& text) {
    setShownText(form_.LEVELMAX, text);
}
void MainWindowView::setLevelMinText(const std::string& text) {
    setShownText(form_.LEVELMIN, text);
}
void MainWindowView::setCurrentValue(std::int32_t value) {
    setShownText(form_.Edit1, dut::intToText(value));
    emit form_.rawValuePolled(value);
}

void MainWindowView::removeOldestChartPoint() {
    if (form_.Series1->count() > 0) form_.Series1->remove(0);
}

void MainWindowView::appendChartPoint(std::int64_t x, std::int32_t y) {
    form_.Series1->append(static_cast<qreal>(x), static_cast<qreal>(y));
    // The bottom axis follows the data: it spans the points the series holds.
    const auto points = form_.Series1->points();
    form_.BottomAxis->setRange(points.first().x(),
                               std::max(points.last().x(), points.first().x() + 1));
}

void MainWindowView::setChartAxisMin(std::int32_t y) {
    form_.LeftAxis->setMin(y);
}
void MainWindowView::setChartAxisMax(std::int32_t y) {
    form_.LeftAxis->setMax(y);
}

void MainWindowView::setProgress(std::int32_t value) {
    form_.ProgressBar1->setValue(
        std::clamp(value, form_.ProgressBar1->minimum(), form_.ProgressBar1->maximum()));
    emit form_.outputLevelPolled(value);
}

void MainWindowView::setOutputLevelText(const std::string& text) {
    setShownText(form_.Label11, text);
}

void MainWindowView::setMeasurementsLive(bool live) {
    // Disabled, they draw in the greys TForm1 gave their disabled palettes, and the
    // accessibility bus reports them as not sensitive.
    for (QWidget* widget : std::initializer_list<QWidget*>{form_.Edit1, form_.Label11,
                                                           form_.ProgressBar1, form_.Chart1}) {
        widget->setEnabled(live);
    }
    form_.Series1->setPen(QPen(live ? kRed : kStaleGrey, 1));
}

void MainWindowView::setCommandButtonsEnabled(bool enabled) {
    for (QPushButton* button : {form_.Button5, form_.Button2, form_.Button3, form_.Button6}) {
        button->setEnabled(enabled);
    }
}

}  // namespace ui
