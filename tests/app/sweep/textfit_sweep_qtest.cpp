// Every text of every page, tab and window of the program, on a full sample project at the
// default window size: each label, button, check box, radio button, combo item, list header and
// list or tree node text fits the room its control gives it, and no visible sibling lies over
// it. The frame I/O table's drawn texts are measured in the screen font against their cells.
// Misfits are listed by page and control; the few that the fixed layout itself cannot fit stand
// in the exceptions table with their reasons.
#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRegularExpression>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOption>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <algorithm>
#include <map>

#include "app/appforms.h"
#include "app/cfglockform.h"
#include "app/devselform.h"
#include "app/frameio/linkselectform.h"
#include "app/importwin.h"
#include "app/projectpages/glprotoform.h"
#include "editors/dsp/devparaform.h"
#include "app/frameio/slotpainter.h"
#include "app/frameio/slotpanel.h"
#include "gfx/qpaintercanvas.h"
#include "sweep.h"

using namespace kvr::app;

namespace {

struct Misfit {
    QString Page;
    QString Control;
    QString Text;
    QString Why;
};

// Texts the windows' fixed layout cannot fit in any font that keeps the others whole; matched
// by control name and text.
struct Exception {
    const char* Control;
    const char* Text;
    const char* Reason;
};
// With the system font chosen by measurement every text fits, so the table is empty; a row
// added here needs its reason.
const std::vector<Exception> Exceptions = {};

bool Excepted(const Misfit& M)
{
    return std::any_of(Exceptions.begin(), Exceptions.end(), [&](const Exception& E) {
        return M.Control == QLatin1String(E.Control) && M.Text == QString::fromLatin1(E.Text);
    });
}

QString Name(const QWidget* W)
{
    const QString name = W->objectName().isEmpty() ? QString::fromLatin1(W->metaObject()->className()) : W->objectName();
    const QWidget* p = W->parentWidget();
    return p != nullptr && !p->objectName().isEmpty() ? p->objectName() + "." + name : name;
}

QString Plain(QString Text)
{
    // A single '&' marks a mnemonic and is not drawn.
    Text.replace(QRegularExpression("&(?!&)"), QString());
    return Text.replace("&&", "&");
}

int TextWidth(const QFontMetrics& Metrics, const QString& Text)
{
    int width = 0;
    for (const QString& line : Text.split('\n'))
        width = std::max(width, Metrics.horizontalAdvance(line));
    return width;
}

// A canvas that draws nothing and keeps each text with its width in the screen font, the lines
// (cell frames and grid) and the arrows of the drop-down cells.
class MeasuringCanvas : public kvr::gfx::QPainterCanvas {
public:
    struct Text {
        int X, Y, Width, ClipRight;
        std::string Value;
    };
    struct Line {
        QPoint From, To;
        bool White;
    };
    using QPainterCanvas::QPainterCanvas;
    std::vector<Text> Texts;
    std::vector<Line> Lines;
    std::vector<QPoint> Arrows; // right end of the cell and the cell's top

    // The right edge a text at (X, Y) may reach: the end of the cell it sits in, less the arrow of
    // a drop-down cell, else the first grid line or text on its right.
    int RightOf(const Text& T) const
    {
        for (const Line& l : Lines) {
            // A cell's frame starts with a white line along its top, one to three pixels above the
            // text (the header's Set All texts sit lower in their cells than a row's texts).
            const int top = l.From.y();
            if (l.White && l.From.y() == l.To.y() && top >= T.Y - 3 && top <= T.Y - 1 && std::min(l.From.x(), l.To.x()) <= T.X &&
                std::max(l.From.x(), l.To.x()) > T.X) {
                const int end = std::max(l.From.x(), l.To.x());
                const bool arrow = std::any_of(Arrows.begin(), Arrows.end(), [&](QPoint a) { return a.x() == end && a.y() == top - 1; });
                const int right = arrow ? end - 10 : end - 1; // a pixel clear of the arrow
                return T.ClipRight >= 0 ? std::min(right, T.ClipRight) : right;
            }
        }
        int right = 905;
        for (const Line& l : Lines)
            if (l.From.x() == l.To.x() && l.From.x() > T.X && std::min(l.From.y(), l.To.y()) <= T.Y + 6 &&
                std::max(l.From.y(), l.To.y()) >= T.Y + 6)
                right = std::min(right, l.From.x());
        for (const Text& t : Texts)
            if (t.Y == T.Y && t.X > T.X)
                right = std::min(right, t.X - 2);
        return T.ClipRight >= 0 ? std::min(right, T.ClipRight) : right;
    }

private:
    void doTextOut(int X, int Y, std::string_view Value) override
    {
        Texts.push_back({X, Y, TextWidth(Value), -1, std::string(Value)});
    }
    void doTextRect(const kvr::gfx::Rect& R, int X, int Y, std::string_view Value) override
    {
        Texts.push_back({X, Y, TextWidth(Value), R.right, std::string(Value)});
    }
    void doLine(kvr::gfx::Point From, kvr::gfx::Point To) override
    {
        Lines.push_back({{From.x, From.y}, {To.x, To.y}, pen().color == kvr::gfx::clWhite});
    }
    void doRectangle(const kvr::gfx::Rect& R) override
    {
        // The arrow's box: (x1 - 7, top + 4)-(x1 - 3, top + 9).
        if (R.right - R.left == 4 && R.bottom - R.top == 5)
            Arrows.push_back({R.right + 3, R.top - 4});
    }
    void doFillRect(const kvr::gfx::Rect&) override {}
};

// Windows built at a size of their own whose layout may ask for more: such a layout grows the
// window rather than cut a text, so a window larger than its size holds a text that does not fit.
struct BuiltSize {
    const char* Window;
    QSize Size;
};
const BuiltSize BuiltSizes[] = {{"LinkSelectForm", {228, 376}}};

class TextFit {
public:
    std::vector<Misfit> Found;

    void CheckSize(QWidget* Window, const QString& Page)
    {
        for (const BuiltSize& built : BuiltSizes)
            if (Window->objectName() == QLatin1String(built.Window) &&
                (Window->width() > built.Size.width() || Window->height() > built.Size.height()))
                Add(Page, Window->objectName(), QString(),
                    QString("grows to %1 x %2 past %3 x %4")
                        .arg(Window->width())
                        .arg(Window->height())
                        .arg(built.Size.width())
                        .arg(built.Size.height()));
    }

    void CheckWindow(QWidget* Window, const QString& Page)
    {
        for (QWidget* w : Window->findChildren<QWidget*>()) {
            if (w->isVisible() && w->window() == Window)
                CheckWidget(w, Page);
        }
    }

    // The drawn table of the frame I/O page as it stands.
    void CheckFrameTable(TCX4AppForm& Form, const QString& Page)
    {
        auto* panel = Form.findChild<frameio::TSlotPanel*>();
        if (panel == nullptr || !panel->isVisible() || Form.FProject == nullptr)
            return;
        kvr::model::TProject* project = Form.FProject->Model();
        QImage image(905, std::max(50, panel->View.ImageHeight()), QImage::Format_RGB32);
        MeasuringCanvas canvas(image);
        frameio::DrawSlotView(canvas, panel->View, {project, Form.FCurDevice, project->Device(Form.FCurDevice)->GetHeader()});
        for (const MeasuringCanvas::Text& t : canvas.Texts) {
            const int right = canvas.RightOf(t);
            if (t.X + t.Width > right)
                Add(Page, "SlotImage", QString::fromLatin1(t.Value.c_str()),
                    QString("drawn at %1, %2 px in %3").arg(t.X).arg(t.Width).arg(right - t.X));
        }
    }

private:
    void Add(const QString& Page, const QString& Control, const QString& Text, const QString& Why)
    {
        // One entry for a misfit that every device's page repeats.
        for (const Misfit& m : Found)
            if (m.Control == Control && m.Text == Text)
                return;
        Found.push_back({Page, Control, Text, Why});
    }

    // Room left of the text: the widget's own, the parent's, and no visible sibling above it.
    void CheckPlaced(QWidget* W, const QString& Page, const QString& Text, QRect TextRect)
    {
        const QRect inParent = TextRect.translated(W->pos());
        QWidget* parent = W->parentWidget();
        if (parent != nullptr && !parent->rect().contains(inParent))
            Add(Page, Name(W), Text, "cut by its parent");
        if (parent == nullptr)
            return;
        const QObjectList& siblings = parent->children();
        for (qsizetype i = siblings.indexOf(W) + 1; i < siblings.size(); ++i) {
            auto* s = qobject_cast<QWidget*>(siblings[i]);
            if (s != nullptr && s->isVisible() && !s->isWindow() && s->geometry().intersects(inParent))
                Add(Page, Name(W), Text, "covered by " + Name(s));
        }
    }

    void CheckWidget(QWidget* W, const QString& Page)
    {
        const QFontMetrics fm(W->font());
        QStyle* style = W->style();
        if (auto* label = qobject_cast<QLabel*>(W)) {
            const QString text = label->buddy() != nullptr ? Plain(label->text()) : label->text();
            if (text.isEmpty() || label->wordWrap() || Qt::mightBeRichText(text) || !label->pixmap().isNull())
                return;
            const QRect room = label->contentsRect().adjusted(label->margin(), 0, -label->margin(), 0);
            const int width = TextWidth(fm, text);
            if (width > room.width())
                Add(Page, Name(W), text, QString("%1 px in %2").arg(width).arg(room.width()));
            const Qt::Alignment a = QStyle::visualAlignment(label->layoutDirection(), label->alignment());
            const int left = a & Qt::AlignRight ? room.right() + 1 - width
                             : a & Qt::AlignHCenter ? room.left() + (room.width() - width) / 2
                                                    : room.left();
            CheckPlaced(W, Page, text, QRect(left, 0, width, label->height()));
            return;
        }
        if (qobject_cast<QCheckBox*>(W) != nullptr || qobject_cast<QRadioButton*>(W) != nullptr) {
            auto* button = static_cast<QAbstractButton*>(W);
            const QString text = Plain(button->text());
            if (text.isEmpty())
                return;
            QStyleOptionButton opt;
            opt.initFrom(button);
            opt.text = button->text();
            const bool check = qobject_cast<QCheckBox*>(W) != nullptr;
            const QRect contents = style->subElementRect(check ? QStyle::SE_CheckBoxContents : QStyle::SE_RadioButtonContents, &opt, W);
            const int width = TextWidth(fm, text);
            if (width > contents.width())
                Add(Page, Name(W), text, QString("%1 px in %2").arg(width).arg(contents.width()));
            CheckPlaced(W, Page, text, QRect(contents.left(), 0, width, W->height()));
            return;
        }
        if (auto* button = qobject_cast<QPushButton*>(W)) {
            const QString text = Plain(button->text());
            if (text.isEmpty())
                return;
            const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, W);
            const int room = button->width() - 2 * frame - style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, W) -
                             (button->icon().isNull() ? 0 : button->iconSize().width() + 4);
            const int width = TextWidth(fm, text);
            if (width > room)
                Add(Page, Name(W), text, QString("%1 px in %2").arg(width).arg(room));
            CheckPlaced(W, Page, text, QRect((button->width() - width) / 2, 0, width, W->height()));
            return;
        }
        if (auto* box = qobject_cast<QComboBox*>(W)) {
            QStyleOptionComboBox opt;
            opt.initFrom(box);
            opt.editable = box->isEditable();
            opt.frame = box->hasFrame();
            const QRect field = style->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, box);
            for (int i = 0; i < box->count(); ++i) {
                const QString text = box->itemText(i);
                const int width = TextWidth(fm, text) + (box->itemIcon(i).isNull() ? 0 : box->iconSize().width() + 4);
                if (width > field.width())
                    Add(Page, Name(W), text, QString("item %1 px in %2").arg(width).arg(field.width()));
            }
            return;
        }
        if (auto* group = qobject_cast<QGroupBox*>(W)) {
            const QString text = Plain(group->title());
            if (text.isEmpty())
                return;
            QStyleOptionGroupBox opt;
            opt.initFrom(group);
            opt.text = group->title();
            opt.lineWidth = 1;
            opt.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
            if (group->isCheckable())
                opt.subControls |= QStyle::SC_GroupBoxCheckBox;
            const QRect label = style->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, group);
            const int width = TextWidth(fm, text);
            if (label.left() + width > group->width())
                Add(Page, Name(W), text, QString("title %1 px in %2").arg(width).arg(group->width() - label.left()));
            return;
        }
        if (auto* bar = qobject_cast<QTabBar*>(W)) {
            for (int i = 0; i < bar->count(); ++i) {
                if (!bar->isTabVisible(i))
                    continue;
                const QRect tab = bar->tabRect(i);
                const QString text = Plain(bar->tabText(i));
                const int width = TextWidth(fm, text) + style->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, W);
                if (width > tab.width() || tab.right() >= bar->width())
                    Add(Page, Name(W), text, QString("tab %1 px, %2 given").arg(width).arg(std::min(tab.width(), bar->width() - tab.left())));
            }
            return;
        }
        if (auto* header = qobject_cast<QHeaderView*>(W)) {
            if (header->orientation() != Qt::Horizontal || header->model() == nullptr)
                return;
            for (int s = 0; s < header->count(); ++s) {
                if (header->isSectionHidden(s))
                    continue;
                const QString text = header->model()->headerData(s, Qt::Horizontal).toString();
                if (text.isEmpty())
                    continue;
                QStyleOptionHeader opt;
                opt.initFrom(header);
                opt.rect = QRect(header->sectionViewportPosition(s), 0, header->sectionSize(s), header->height());
                opt.text = text;
                const QRect label = style->subElementRect(QStyle::SE_HeaderLabel, &opt, header);
                const int width = TextWidth(fm, text);
                if (width > label.width())
                    Add(Page, Name(W), text, QString("header %1 px in %2").arg(width).arg(label.width()));
                else if (opt.rect.left() + label.width() > header->width() + 2)
                    Add(Page, Name(W), text, "header past the list's edge");
            }
            return;
        }
        if (auto* edit = qobject_cast<QLineEdit*>(W)) {
            // A field scrolls a long text, but its height must hold a line (the frame table's
            // label editor stands in a 14-pixel cell).
            QStyleOptionFrame opt;
            opt.initFrom(edit);
            opt.lineWidth = edit->hasFrame() ? style->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, edit) : 0;
            const QRect contents = style->subElementRect(QStyle::SE_LineEditContents, &opt, edit).marginsRemoved(edit->textMargins());
            const int lineRoom = contents.height() - 2; // the field's own margin above and below the line
            if (fm.height() > lineRoom)
                Add(Page, Name(W), edit->text(), QString("line %1 px high in %2").arg(fm.height()).arg(lineRoom));
            return;
        }
        if (auto* view = qobject_cast<QAbstractItemView*>(W)) {
            CheckItems(view, Page);
            return;
        }
    }

    void CheckItems(QAbstractItemView* View, const QString& Page)
    {
        QAbstractItemModel* model = View->model();
        if (model == nullptr || qobject_cast<QComboBox*>(View->parentWidget()) != nullptr)
            return;
        // Icon views wrap their texts under the pictures.
        if (auto* list = qobject_cast<QListView*>(View); list != nullptr && list->viewMode() == QListView::IconMode)
            return;
        if (View->horizontalScrollBar()->isVisible())
            Add(Page, Name(View), QString(), "scrolls sideways");
        auto* tree = qobject_cast<QTreeView*>(View);
        const int room = View->viewport()->width();
        const std::function<void(const QModelIndex&)> walk = [&](const QModelIndex& Parent) {
            for (int r = 0; r < model->rowCount(Parent); ++r) {
                for (int c = 0; c < model->columnCount(Parent); ++c) {
                    const QModelIndex index = model->index(r, c, Parent);
                    const QString text = index.data(Qt::DisplayRole).toString();
                    const QRect cell = View->visualRect(index);
                    if (text.isEmpty() || cell.isEmpty())
                        continue;
                    QStyleOptionViewItem opt;
                    opt.initFrom(View);
                    opt.font = View->font();
                    opt.decorationSize = View->iconSize().isValid() ? View->iconSize() : QSize(16, 16);
                    const int width = View->itemDelegateForIndex(index)->sizeHint(opt, index).width();
                    if (width > cell.width())
                        Add(Page, Name(View), text, QString("item %1 px in %2").arg(width).arg(cell.width()));
                    else if (cell.left() + width > room && !View->horizontalScrollBar()->isVisible())
                        Add(Page, Name(View), text, "item past the list's edge");
                }
                const QModelIndex first = model->index(r, 0, Parent);
                if (tree != nullptr && tree->isExpanded(first))
                    walk(first);
            }
        };
        walk(View->rootIndex());
    }
};

} // namespace

class TextFitSweepTest : public QObject {
    Q_OBJECT

    test::SweepWindow sweep;
    TCX4AppForm* form = nullptr;

private slots:
    void initTestCase()
    {
        sweep.Open();
        form = sweep.Form;
    }
    void cleanupTestCase() { sweep.Close(); }

    void everyTextFitsItsRoom()
    {
        TextFit fit;
        int pages = 0;
        test::ForEachPage(*form, [&](const QString& Page) {
            ++pages;
            fit.CheckWindow(form, Page);
            fit.CheckFrameTable(*form, Page);
            // Again with a row of every list chosen and the table's label editor open: the
            // groups that edit a chosen row show only then.
            test::ChooseFirstRows(*form);
            test::OpenSlotLabelEditor(*form);
            fit.CheckWindow(form, Page);
        });
        // The other windows, as the main window's commands open them.
        for (const char* action : {"AudioTree1", "ResourceWindow1", "GlobalLogicStates1", "MaintenanceCX451"}) {
            const QWidgetList before = QApplication::topLevelWidgets();
            form->Action(action)->trigger();
            test::Settle(*form);
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w != form && w->isVisible() && !w->inherits("QMenu")) {
                    ++pages;
                    fit.CheckWindow(w, QString(action) + ": " + w->windowTitle());
                    if (!before.contains(w) || w != form)
                        w->hide();
                }
            }
        }
        for (const char* action : {"Console1", "Configuration2", "About1"}) {
            QTimer::singleShot(100, form, [&] {
                if (QWidget* modal = QApplication::activeModalWidget()) {
                    ++pages;
                    test::ForEachTab(*form, modal, QString(action) + ": " + modal->windowTitle(),
                                     [&](const QString& Page) { fit.CheckWindow(modal, Page); });
                    modal->close();
                }
            });
            form->Action(action)->trigger();
            test::Settle(*form);
        }
        // Dialogs that a page opens in a modal pass of its own: shown as they are built.
        for (QWidget* w : std::initializer_list<QWidget*>{LinkSelectForm, DevParaForm, CFGLockForm, DevSelForm, ImportWin,
                                                           GLProtoForm}) {
            w->show();
            test::Settle(*form);
            ++pages;
            fit.CheckWindow(w, w->objectName());
            fit.CheckSize(w, w->objectName());
            w->hide();
        }
        QVERIFY(pages > 40);

        QStringList report;
        for (const Misfit& m : fit.Found)
            if (!Excepted(m))
                report << QString("%1 | %2 | \"%3\" | %4").arg(m.Page, m.Control, m.Text, m.Why);
        if (!report.isEmpty())
            qWarning().noquote() << "Texts that do not fit:\n" + report.join('\n');
        QCOMPARE(report.size(), 0);
    }
};

QTEST_MAIN(TextFitSweepTest)
#include "textfit_sweep_qtest.moc"
