// The yardstick for tumblegem_feel: a falling square written the way Qt Widgets suggests first.
// One widget, update() on every change, one QPainter in paintEvent, a QTimer for the fall. The
// well has the game's geometry (20-pixel cells, seven columns, rows 2 to 19 visible), so the
// same tool measures both.
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>
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
    Well well;
    well.show();
    return app.exec();
}
