#include "Windows.h"

namespace ui {

Windows createWindows(AppContext& context) {
    Windows w;
    w.form1 = std::make_unique<TForm1>();
    w.form2 = new TForm2(w.form1.get());
    w.form3 = new TForm3(w.form1.get());
    w.form4 = new TForm4(w.form1.get());
    w.form5 = new TForm5(w.form1.get());
    w.form6 = new TForm6(w.form1.get());
    w.form1->setForms(w.form2, w.form3, w.form4, w.form5, w.form6);
    w.form1->setContext(context);
    w.form2->setContext(context, w.form1->mainView());
    w.form4->setContext(context, w.form1->Timer2);
    w.form6->setContext(context);
    return w;
}

Windows createWindows() {
    auto own = std::make_unique<AppContext>();
    Windows w = createWindows(*own);
    w.ownContext = std::move(own);
    return w;
}

}  // namespace ui

namespace ui {

Startup::Startup() : windows_(createWindows(context_)) {}

void Startup::show() {
    windows_.form1->show();
}

void Startup::choosePort(const std::string& name) {
    TForm1& form = mainWindow();
    form.COMSelect->setEditText(QString::fromStdString(name));
    form.COMSelectSelect();
}

}  // namespace ui
