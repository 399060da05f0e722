#include "about.h"

#include "fixedsize.h"
#include "ui_about.h"

namespace {

bool fits(const QLabel *label)
{
    const QSize needed = label->sizeHint();
    return needed.width() <= label->width() && needed.height() <= label->height();
}

// The text was laid out for Windows' small dialog font; with a larger one it would be cut off.
// The label's font shrinks, half a point (or a pixel) at a time, until the whole text fits.
void shrinkToFit(QLabel *label)
{
    QFont font = label->font();
    while (!fits(label)) {
        if (font.pointSizeF() > 1)
            font.setPointSizeF(font.pointSizeF() - 0.5);
        else if (font.pixelSize() > 1)
            font.setPixelSize(font.pixelSize() - 1);
        else
            return;
        label->setFont(font);
    }
}

} // namespace

About::About(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::About>())
{
    ui->setupUi(this);
    ui->label->setText(ui->label->text().arg(ORVANE_VERSION));
    setWindowFlags(windowFlags() ^ Qt::WindowContextHelpButtonHint);
    fixToItsSize(this);
    shrinkToFit(ui->label);
}

About::~About() = default;

void About::on_pushButton_clicked()
{
    close();
}
