#pragma once

#include <QLabel>
#include <QWidget>

// The hot-key help window; not modal, so the main window stays usable beside it.
class TForm5 : public QWidget {
    Q_OBJECT
  public:
    explicit TForm5(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLabel* Image1 = nullptr;

  protected:
    void changeEvent(QEvent* event) override;

  private:
    // Every text of the window in the current language.
    void retranslateUi();
};
