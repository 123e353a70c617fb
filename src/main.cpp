// Lorvane办公助手: the desktop program.
#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lorvane办公助手"));
    QMessageBox::information(nullptr, QStringLiteral("Lorvane办公助手"),
                             QStringLiteral("Lorvane办公助手 正在建设中。"));
    return 0;
}
