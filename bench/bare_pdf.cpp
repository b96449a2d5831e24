// The floor for bil --pdf: a bare Qt program that writes a one-line PDF.
//   bare_pdf OUT.pdf [alphabet]
// With "alphabet", the line is the Czech alphabet and digits, in the regular
// and the bold face: the fonts a statement embeds, without its layout.

#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2)
        return 2;
    QPdfWriter writer(QString::fromLocal8Bit(argv[1]));
    QPainter painter(&writer);
    QFont font(QStringLiteral("DejaVu Sans"), 10);
    painter.setFont(font);
    if (argc < 3) {
        painter.drawText(QPointF(0, 200), QStringLiteral("Účetní závěrka"));
        return painter.end() ? 0 : 1;
    }
    const QString alphabet = QStringLiteral("AÁBCČDĎEÉĚFGHIÍJKLMNŇOÓPQRŘSŠTŤUÚŮVWXYÝZŽ"
                                            "aábcčdďeéěfghiíjklmnňoópqrřsštťuúůvwxyýzž0123456789(),.:-+*%$");
    painter.drawText(QPointF(0, 200), alphabet);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QPointF(0, 400), alphabet);
    return painter.end() ? 0 : 1;
}
