// The yardstick for tumblegem_feel: a falling square written the way Qt Widgets suggests first.
// One widget, update() on every change, one QPainter in paintEvent, a QTimer for the fall. The
// well has the game's geometry (20-pixel cells, seven columns, rows 2 to 19 visible), so the
// same tool measures both. Built a second time with FEEL_MENU_AND_TEXT, it also has what the
// game's window has and the square lacks: a menu bar over the well and a line of text in it.
#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

class Well : public QWidget {
public:
    Well() {
        setFixedSize(160, 400);
        setWindowTitle("Falling square");
        connect(&fall_, &QTimer::timeout, this, [this] {
            if (++row_ > 19) {
                row_ = 2;
                column_ = 3;
            }
            update();
        });
        fall_.start(400);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        painter.fillRect(column_ * 20 + 10, row_ * 20 - 30, 20, 20, QColor(200, 20, 20));
#ifdef FEEL_MENU_AND_TEXT
        painter.drawText(QRect(0, 0, 160, 30), Qt::AlignCenter, QStringLiteral("Falling square"));
#endif
    }

    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Left && column_ > 0)
            --column_;
        else if (event->key() == Qt::Key_Right && column_ < 6)
            ++column_;
        else
            return QWidget::keyPressEvent(event);
        update();
    }

private:
    QTimer fall_;
    int column_ = 3;
    int row_ = 2;
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
#ifdef FEEL_MENU_AND_TEXT
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QMenuBar;
    QMenu* game = bar->addMenu(QStringLiteral("Game"));
    game->addAction(QStringLiteral("New game"), QKeySequence(QStringLiteral("Ctrl+N")));
    game->addAction(QStringLiteral("Quit"), QKeySequence(QStringLiteral("Ctrl+Q")), &app,
                    &QApplication::quit);
    bar->addMenu(QStringLiteral("Help"))->addAction(QStringLiteral("About"));
    layout->setMenuBar(bar);
    auto* well = new Well;
    layout->addWidget(well);
    well->setFocus();
    window.show();
#else
    Well well;
    well.show();
#endif
    return app.exec();
}
