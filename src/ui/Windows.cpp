#include "Windows.h"

namespace ui {

Windows createWindows(AppContext& context) {
    Windows w;
    w.form1 = std::make_unique<TForm1>(context);
    w.form2 = w.form1->form2();
    w.form3 = w.form1->form3();
    w.form4 = w.form1->form4();
    w.form5 = w.form1->form5();
    w.form6 = w.form1->form6();
    return w;
}

}  // namespace ui

namespace ui {

Startup::Startup() : windows_(createWindows(context_)) {}

void Startup::show() {
    windows_.form1->show();
}

void Startup::choosePort(const std::string& name) {
    mainWindow().choosePort(QString::fromStdString(name));
}

}  // namespace ui
