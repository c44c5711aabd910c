#pragma once

// The main window's controls as a test reaches them: by the names they bear, the way a
// screen reader or a test robot would, not through the window's members.
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QValueAxis>
#include <stdexcept>
#include <string>

#include "GlobalHotKeys.h"
#include "PortComboBox.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TForm3.h"
#include "TForm4.h"
#include "TForm5.h"
#include "TForm6.h"
#include "UiStyle.h"

namespace testsupport {

// The child of `root` called `name`; throws when there is none, so a renamed control fails
// the test that needs it instead of crashing it.
template <typename T>
T* named(const QObject* root, const char* name,
         Qt::FindChildOptions options = Qt::FindChildrenRecursively) {
    T* found = root->findChild<T*>(QString::fromLatin1(name), options);
    if (!found) throw std::runtime_error(std::string("no control named ") + name);
    return found;
}

template <typename T>
T* ownWindow(const TForm1& form) {
    T* found = form.findChild<T*>(QString(), Qt::FindDirectChildrenOnly);
    if (!found) throw std::runtime_error("the main window has not made all its windows");
    return found;
}

struct MainControls {
    // Searched for below the client area only: the windows the main window owns have
    // controls of the same names (Label1, Button2 ...).
    explicit MainControls(const TForm1& form)
        : ScrollBox(named<QScrollArea>(&form, "ScrollBox", Qt::FindDirectChildrenOnly)),
          Content(named<QWidget>(ScrollBox, "Content")),
          Chart1(named<QChartView>(Content, "Chart1")),
          Chart(Chart1->chart()),
          Series1(qobject_cast<QLineSeries*>(Chart->series().value(0))),
          LeftAxis(qobject_cast<QValueAxis*>(Chart->axes(Qt::Vertical).value(0))),
          BottomAxis(qobject_cast<QValueAxis*>(Chart->axes(Qt::Horizontal).value(0))),
          Timer2(named<QTimer>(&form, "Timer2", Qt::FindDirectChildrenOnly)),
          HotKeys(named<GlobalHotKeys>(&form, "HotKeys", Qt::FindDirectChildrenOnly)),
          Form2(ownWindow<TForm2>(form)),
          Form3(ownWindow<TForm3>(form)),
          Form4(ownWindow<TForm4>(form)),
          Form5(ownWindow<TForm5>(form)),
          Form6(ownWindow<TForm6>(form)) {
        if (!Series1 || !LeftAxis || !BottomAxis) throw std::runtime_error("the chart is bare");
    }

    GlobalHotKeys* hotKeys() const { return HotKeys; }

    QScrollArea* ScrollBox;
    QWidget* Content;

    ui::Panel* Panel5 = static_cast<ui::Panel*>(named<QFrame>(Content, "Panel5"));
    QLabel* Label13 = named<QLabel>(Content, "Label13");
    QPushButton* Button9 = named<QPushButton>(Content, "Button9");
    QPushButton* Button8 = named<QPushButton>(Content, "Button8");
    QPushButton* Button4 = named<QPushButton>(Content, "Button4");
    QPushButton* Button10 = named<QPushButton>(Content, "Button10");
    QPushButton* Button12 = named<QPushButton>(Content, "Button12");
    QPushButton* ReportButton = named<QPushButton>(Content, "ReportButton");
    QPushButton* Button7 = named<QPushButton>(Content, "Button7");

    ui::Panel* Panel1 = static_cast<ui::Panel*>(named<QFrame>(Content, "Panel1"));
    QLabel* Label4 = named<QLabel>(Content, "Label4");
    QLabel* Image1 = named<QLabel>(Content, "Image1");
    QLabel* Label3 = named<QLabel>(Content, "Label3");
    QLabel* Label6 = named<QLabel>(Content, "Label6");
    QLabel* ConnectStatusText = named<QLabel>(Content, "ConnectStatusText");
    ui::PortComboBox* COMSelect = named<ui::PortComboBox>(Content, "COMSelect");
    QPushButton* Button1 = named<QPushButton>(Content, "Button1");

    ui::Panel* Panel2 = static_cast<ui::Panel*>(named<QFrame>(Content, "Panel2"));
    QLabel* Label5 = named<QLabel>(Content, "Label5");
    QLabel* Image2 = named<QLabel>(Content, "Image2");
    QLabel* Label7 = named<QLabel>(Content, "Label7");
    ui::FlatLineEdit* LLS_ADRESS =
        static_cast<ui::FlatLineEdit*>(named<QLineEdit>(Content, "LLS_ADRESS"));
    QPushButton* Button5 = named<QPushButton>(Content, "Button5");

    ui::Panel* Panel3 = static_cast<ui::Panel*>(named<QFrame>(Content, "Panel3"));
    QLabel* Label1 = named<QLabel>(Content, "Label1");
    QLabel* Label8 = named<QLabel>(Content, "Label8");
    QChartView* Chart1;
    QChart* Chart;
    QLineSeries* Series1;
    QValueAxis* LeftAxis;
    QValueAxis* BottomAxis;
    QLabel* Image3 = named<QLabel>(Content, "Image3");
    QLabel* Label12 = named<QLabel>(Content, "Label12");
    QLabel* LEVELMIN = named<QLabel>(Content, "LEVELMIN");
    QLabel* LEVELMAX = named<QLabel>(Content, "LEVELMAX");
    QLabel* Edit1 = named<QLabel>(Content, "Edit1");
    QPushButton* Button3 = named<QPushButton>(Content, "Button3");
    QPushButton* Button2 = named<QPushButton>(Content, "Button2");
    QPushButton* Button6 = named<QPushButton>(Content, "Button6");
    QLabel* Label9 = named<QLabel>(Content, "Label9");

    ui::Panel* Panel4 = static_cast<ui::Panel*>(named<QFrame>(Content, "Panel4"));
    QLabel* Label2 = named<QLabel>(Content, "Label2");
    QLabel* Label10 = named<QLabel>(Content, "Label10");
    QLabel* Image4 = named<QLabel>(Content, "Image4");
    QProgressBar* ProgressBar1 = named<QProgressBar>(Content, "ProgressBar1");
    QLabel* Label11 = named<QLabel>(Content, "Label11");

    QTimer* Timer2;
    GlobalHotKeys* HotKeys;
    TForm2* Form2;
    TForm3* Form3;
    TForm4* Form4;
    TForm5* Form5;
    TForm6* Form6;
};

}  // namespace testsupport
