#include "about.h"

#include "ui_about.h"

About::About(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::About>())
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() ^ Qt::WindowContextHelpButtonHint);
    setWindowFlags((windowFlags() & ~Qt::WindowMaximizeButtonHint) | Qt::CustomizeWindowHint);
    setFixedSize(width(), height());
}

About::~About() = default;

void About::on_pushButton_clicked()
{
    close();
}
