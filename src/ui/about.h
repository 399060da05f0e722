#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class About;
}

// Product title, release and the maker's download page.
class About : public QDialog {
    Q_OBJECT

public:
    explicit About(QWidget *parent = nullptr);
    ~About() override;

private slots:
    void on_pushButton_clicked();

private:
    std::unique_ptr<Ui::About> ui;
};
