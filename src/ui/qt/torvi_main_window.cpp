#include "ui/qt/torvi_main_window.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <cmath>

#include "sound/audio_player.h"
#include "ui/program_start.h"
#include "ui/qt/about_dlg.h"
#include "ui/qt/announcer.h"
#include "ui/qt/answers_label.h"
#include "ui/qt/caret_filter.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/torvi_icon.h"
#include "ui/qt/web_browser2.h"
#include "ui/qt/window_return.h"
#include "ui/torvi_dlg.h"

namespace {

// The dialog template's size and its answer boxes' rows, in dialog units. The
// boxes are listed from top to bottom, which is also their template order.
constexpr int kClientWidth = 323;
constexpr int kClientHeight = 361;
constexpr std::array<int, CWindowServices::kAnswerBoxes> kAnswerRows = {116, 129, 142, 156, 169,
                                                                        182, 195, 208, 221, 234};

// A disabled answer box keeps what the learner typed while the correct answer
// stands beside it, so its text is drawn in the normal text colour, not in the
// style's faint disabled one. The colour follows the style and palette in force.
void DrawDisabledTextAsNormal(QLineEdit* box) {
    QPalette palette = box->palette();
    const QColor normal = palette.color(QPalette::Active, QPalette::Text);
    if (palette.isBrushSet(QPalette::Disabled, QPalette::Text) &&
        palette.color(QPalette::Disabled, QPalette::Text) == normal)
        return; // already so: setting it again would only announce another change
    palette.setColor(QPalette::Disabled, QPalette::Text, normal);
    box->setPalette(palette);
}

// A read-only text box whose frame keeps its four sides at any scale. At a scale
// such as 1.25 or 1.5 a box's edge falls inside a screen pixel: Qt clips the box
// to the pixels whose greater part it covers, while the style draws the frame's
// one-pixel lines on the pixel the edge falls in, so a line lands outside the
// box and is cut away, or inside the text area and is painted over by it. At
// such scales the box draws each line of the style's frame as a band one
// window pixel wide instead: a band is rounded to screen pixels as the box and
// its text area are, so it is always the pixels between them.
class CTextBox final : public QPlainTextEdit {
public:
    explicit CTextBox(QWidget* parent) : QPlainTextEdit(parent) {}

protected:
    bool event(QEvent* event) override {
        const qreal ratio = devicePixelRatioF();
        if (event->type() != QEvent::Paint || ratio == std::round(ratio)) {
            return QPlainTextEdit::event(event);
        }
        DrawFrameInBands();
        return true;
    }

private:
    void DrawFrameInBands() {
        // The style's own frame, one window pixel to one image pixel, gives each
        // line's colour, so the box looks as the style draws it at scale 1.
        QImage look(size(), QImage::Format_ARGB32_Premultiplied);
        look.fill(Qt::transparent);
        {
            QPainter lookPainter(&look);
            drawFrame(&lookPainter);
        }
        QPainter painter(this);
        const int w = width();
        const int h = height();
        for (int k = 0; k < frameWidth() && 2 * k + 2 < qMin(w, h); ++k) {
            const QRect ring = rect().adjusted(k, k, -k, -k);
            painter.fillRect(QRect(ring.left(), ring.top(), ring.width(), 1),
                             look.pixelColor(w / 2, k));
            painter.fillRect(QRect(ring.left(), ring.bottom(), ring.width(), 1),
                             look.pixelColor(w / 2, h - 1 - k));
            painter.fillRect(QRect(ring.left(), ring.top() + 1, 1, ring.height() - 2),
                             look.pixelColor(k, h / 2));
            painter.fillRect(QRect(ring.right(), ring.top() + 1, 1, ring.height() - 2),
                             look.pixelColor(w - 1 - k, h / 2));
        }
    }
};

// The window as assistive technology sees it: the program's main window, in
// the window role rather than a dialog's. The accessibility bridge passes on an
// activation it is told of (see window_return.h) only for a window in that
// role, and a screen reader treats it as the application's own frame.
QAccessibleInterface* MakeMainWindowFace(const QString& className, QObject* object) {
    if (className == QLatin1String("CTorviMainWindow") && object->isWidgetType()) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    }
    return nullptr;
}

} // namespace

CTorviMainWindow::CTorviMainWindow(CAudioPlayer* player, QWidget* parent)
    : QDialog(parent), m_pPlayer(player),
      m_fontDialog(CDialogUnits::MakeFont(QStringLiteral("Courier New"), 8, QFont::TypeWriter)),
      m_units(m_fontDialog) {
    static const bool faceInstalled = [] {
        QAccessible::installFactory(MakeMainWindowFace);
        return true;
    }();
    (void)faceInstalled;
    setObjectName(QStringLiteral("torviMainWindow"));
    setWindowTitle(QStringLiteral("Halvan Torvi"));
    // Caption, system menu and minimise box; a window of its own on the task bar.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(TorviIcon());
    setSizeGripEnabled(false);

    CreateMenus();
    CreateControls();
    // A child of the window, not of the client area, so it is no control of
    // the dialog's layout or tab order.
    // Two of them, as the verdict and the next page are announced one right
    // after the other: a screen reader reads an announcement's text when it
    // comes to it, after the second would have replaced the first.
    m_pAnnouncer = new CAnnouncer(this);
    m_pPageAnnouncer = new CAnnouncer(this);
    connect(m_pBrowser, &QWebEngineView::loadFinished, this, &CTorviMainWindow::OnPageLoaded);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(m_pMenuBar);
    layout->addWidget(m_pClient);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    qApp->installEventFilter(this);
    DropCaretMovesOutOfFocus();
}

CTorviMainWindow::~CTorviMainWindow() {
    qApp->removeEventFilter(this);
    m_pDialog = nullptr;
}

void CTorviMainWindow::CreateControls() {
    m_pClient = new QWidget(this);
    m_pClient->setObjectName(QStringLiteral("client"));
    m_pClient->setFont(m_fontDialog);
    m_pClient->setFixedSize(m_units.X(kClientWidth), m_units.Y(kClientHeight));

    // Created in template order, which is also the order Tab visits them.
    m_pAnswersLabel = new CAnswersLabel(QStringLiteral("Answers:"), m_pClient);
    m_pAnswersLabel->setObjectName(QStringLiteral("answersLabel"));
    m_pAnswersLabel->setGeometry(m_units.Rect(15, 118, 49, 8));
    m_pAnswersLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);

    for (int i = 0; i < kAnswerBoxes; ++i) {
        m_answerBoxes[static_cast<size_t>(i)] =
            CreateAnswerBox(i + 1, kAnswerRows[static_cast<size_t>(i)]);
    }
    // The label stands beside the first box and labels the whole column; every
    // box also says its own number in its name.
    m_pAnswersLabel->SetBoxes(QList<QWidget*>(m_answerBoxes.begin(), m_answerBoxes.end()));
    m_pFeedback = CreateTextBox(QStringLiteral("feedbackBox"), m_units.Rect(13, 252, 294, 56));
    m_pFeedback->setAccessibleName(QStringLiteral("Feedback"));
    m_btnQuit = CreateButton(QStringLiteral("quitButton"), QStringLiteral("Quit"),
                             m_units.Rect(69, 340, 50, 14));
    m_btnRestart = CreateButton(QStringLiteral("restartButton"), QStringLiteral("Restart"),
                                m_units.Rect(125, 340, 50, 14));
    m_btnRepeat = CreateButton(QStringLiteral("repeatButton"), QStringLiteral("Repeat Question"),
                               m_units.Rect(181, 340, 73, 14));

    m_pBrowser = new CWebBrowser2(m_pClient);
    m_pBrowser->setObjectName(QStringLiteral("pageView"));
    m_pBrowser->setGeometry(m_units.Rect(7, 7, 309, 104));
    m_pBrowser->setFocusPolicy(Qt::StrongFocus);
    m_pBrowser->setAccessibleName(QStringLiteral("Question"));
    m_tabStops.push_back(m_pBrowser);

    m_pComment = CreateTextBox(QStringLiteral("commentBox"), m_units.Rect(13, 309, 236, 25));
    m_pComment->setAccessibleName(QStringLiteral("Comment"));
    m_btnExplanation = CreateButton(QStringLiteral("explanationButton"),
                                    QStringLiteral("Explanation"), m_units.Rect(253, 313, 54, 14));

    connect(m_btnQuit, &QPushButton::clicked, this, [this] { Forward(&CTorviDlg::OnQuit); });
    connect(m_btnRestart, &QPushButton::clicked, this, [this] { Forward(&CTorviDlg::OnRestart); });
    connect(m_btnRepeat, &QPushButton::clicked, this,
            [this] { Forward(&CTorviDlg::OnRepeatQuestion); });
    connect(m_btnExplanation, &QPushButton::clicked, this,
            [this] { Forward(&CTorviDlg::OnExplanation); });

    // Qt's own chain follows the same order, for whatever walks it.
    for (size_t i = 1; i < m_tabStops.size(); ++i) {
        setTabOrder(m_tabStops[i - 1], m_tabStops[i]);
    }
}

QLineEdit* CTorviMainWindow::CreateAnswerBox(int number, int y) {
    auto* box = new QLineEdit(m_pClient);
    box->setObjectName(QStringLiteral("answerBox%1").arg(number));
    box->setAccessibleName(QStringLiteral("Answer %1").arg(number));
    box->setGeometry(m_units.Rect(67, y, 239, 12));
    box->setFrame(true);
    box->setFocusPolicy(Qt::StrongFocus);
    DrawDisabledTextAsNormal(box);
    m_tabStops.push_back(box);
    return box;
}

QPlainTextEdit* CTorviMainWindow::CreateTextBox(const QString& name, const QRect& rect) {
    auto* box = new CTextBox(m_pClient);
    box->setObjectName(name);
    box->setGeometry(rect);
    // Read-only, long lines scroll instead of wrapping, and no scroll bars.
    box->setReadOnly(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->setTabChangesFocus(true);
    box->setFocusPolicy(Qt::StrongFocus);
    box->document()->setDocumentMargin(2);
    // A read-only box reads as part of the dialog, not as a place to type.
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    box->setPalette(palette);
    m_tabStops.push_back(box);
    return box;
}

QPushButton* CTorviMainWindow::CreateButton(const QString& name, const QString& caption,
                                            const QRect& rect) {
    auto* button = new QPushButton(caption, m_pClient);
    button->setObjectName(name);
    button->setGeometry(rect);
    // No button is the default: Enter belongs to the quiz, never to a button.
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setFocusPolicy(Qt::StrongFocus);
    m_tabStops.push_back(button);
    return button;
}

void CTorviMainWindow::CreateMenus() {
    m_pMenuBar = new QMenuBar(this);
    m_pMenuBar->setObjectName(QStringLiteral("menuBar"));
    m_pMenuBar->setNativeMenuBar(false);

    QMenu* file = m_pMenuBar->addMenu(QStringLiteral("File"));
    m_pActNew = AddCommand(file, QStringLiteral("newAction"), QStringLiteral("&New"),
                           &CTorviDlg::OnFileNew);
    m_pActOpen = AddCommand(file, QStringLiteral("openAction"), QStringLiteral("&Open"),
                            &CTorviDlg::OnFileOpen);

    QMenu* order = m_pMenuBar->addMenu(QStringLiteral("Order"));
    m_pActInOrder = AddCheckCommand(order, QStringLiteral("inOrderAction"),
                                    QStringLiteral("In &Order"), &CTorviDlg::OnOrderInOrder);
    m_pActJumbled = AddCheckCommand(order, QStringLiteral("jumbledUpAction"),
                                    QStringLiteral("&Jumbled Up"), &CTorviDlg::OnOrderJumbledUp);

    QMenu* options = m_pMenuBar->addMenu(QStringLiteral("Options"));
    m_pActSound = AddCheckCommand(options, QStringLiteral("soundAction"), QStringLiteral("&Sound"),
                                  &CTorviDlg::OnOptionsSound);

    QMenu* help = m_pMenuBar->addMenu(QStringLiteral("Help"));
    m_pActContents = AddCommand(help, QStringLiteral("contentsAction"), QStringLiteral("&Contents"),
                                &CTorviDlg::OnHelpContents);
    m_pActWebSite = AddCommand(help, QStringLiteral("webSiteAction"),
                               QStringLiteral("&Web Site..."), &CTorviDlg::OnHelpWebSite);
    m_pActAbout = AddCommand(help, QStringLiteral("aboutAction"), QStringLiteral("&About"),
                             &CTorviDlg::OnHelpAbout);

    file->setObjectName(QStringLiteral("fileMenu"));
    order->setObjectName(QStringLiteral("orderMenu"));
    options->setObjectName(QStringLiteral("optionsMenu"));
    help->setObjectName(QStringLiteral("helpMenu"));
}

QAction* CTorviMainWindow::AddCommand(QMenu* menu, const QString& name, const QString& caption,
                                      void (CTorviDlg::*handler)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, [this, handler] { Forward(handler); });
    return action;
}

QAction* CTorviMainWindow::AddCheckCommand(QMenu* menu, const QString& name, const QString& caption,
                                           void (CTorviDlg::*handler)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setCheckable(true);
    connect(action, &QAction::triggered, this, [this, action, handler](bool checked) {
        // Qt flips the mark by itself; the dialog sets the marks it wants, so the
        // flip is undone first.
        action->setChecked(!checked);
        Forward(handler);
    });
    return action;
}

void CTorviMainWindow::Forward(void (CTorviDlg::*handler)()) {
    if (m_pDialog != nullptr) {
        (m_pDialog->*handler)();
    }
}

int CTorviMainWindow::RunModal() {
    // A loop of our own rather than exec(): hiding the window must not end the run,
    // only EndDialog does.
    QEventLoop loop;
    const QMetaObject::Connection ended =
        connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    setWindowModality(Qt::ApplicationModal);
    show();
    loop.exec(QEventLoop::DialogExec);
    disconnect(ended);
    return result();
}

QPushButton* CTorviMainWindow::GetButton(EButton button) const {
    switch (button) {
    case EButton::Explanation:
        return m_btnExplanation;
    case EButton::Quit:
        return m_btnQuit;
    case EButton::Restart:
        return m_btnRestart;
    case EButton::Repeat:
        return m_btnRepeat;
    }
    return nullptr;
}

QAction* CTorviMainWindow::GetMenuAction(EMenuItem item) const {
    switch (item) {
    case EMenuItem::InOrder:
        return m_pActInOrder;
    case EMenuItem::JumbledUp:
        return m_pActJumbled;
    case EMenuItem::Sound:
        return m_pActSound;
    }
    return nullptr;
}

// ---- window services ----

std::string CTorviMainWindow::GetAnswerText(int box) {
    return Utf8FromQString(GetAnswerBox(box)->text());
}

void CTorviMainWindow::SetAnswerText(int box, const std::string& text) {
    // Every new text moves the caret, and a screen reader that sees the caret
    // move in a box about to get the focus takes the box as focused already
    // and says nothing when the focus comes: a box is only written to when
    // its text changes.
    const QString shown = QStringFromUtf8(text);
    QLineEdit* edit = GetAnswerBox(box);
    if (edit->text() != shown) {
        edit->setText(shown);
    }
}

void CTorviMainWindow::EnableAnswerBox(int box, bool enable) {
    QLineEdit* edit = GetAnswerBox(box);
    if (!enable && focusWidget() == edit) {
        // Qt would move the focus on to the next control at once, and back
        // when the next question opens the box again within the same step. A
        // screen reader skips the first move as soon overtaken, and then takes
        // the box, which it still has as focused, for no move at all: the
        // focus is taken off instead and put where it belongs when the step
        // ends.
        edit->clearFocus();
        m_pFocusLeft = edit;
        ScheduleStepEnd();
    }
    edit->setEnabled(enable);
}

void CTorviMainWindow::ShowAnswerBox(int box, bool show) {
    GetAnswerBox(box)->setVisible(show);
}

void CTorviMainWindow::FocusAnswerBox(int box) {
    // The box gets the focus when the step ends, after the verdict and the
    // new page have been announced (see EndStep): a screen reader then speaks
    // them in the order the learner needs them, and the box's name last.
    m_nFocusDue = box;
    ScheduleStepEnd();
}

int CTorviMainWindow::GetFocusedAnswerBox() {
    // The window's own focus child, so the answer does not depend on whether
    // the window is the active one at this moment.
    const QWidget* focus = focusWidget();
    for (int i = 0; i < kAnswerBoxes; ++i) {
        if (focus == GetAnswerBox(i)) {
            return i;
        }
    }
    return -1;
}

void CTorviMainWindow::GetAnswerSelection(int box, int& start, int& end) {
    const QLineEdit* edit = GetAnswerBox(box);
    int first = edit->cursorPosition();
    int last = first;
    if (edit->hasSelectedText()) {
        first = edit->selectionStart();
        last = edit->selectionEnd();
    }
    const QString text = edit->text();
    start = CharacterIndexFromUtf16(text, first);
    end = CharacterIndexFromUtf16(text, last);
}

void CTorviMainWindow::SetAnswerSelection(int box, int start, int end) {
    QLineEdit* edit = GetAnswerBox(box);
    const QString text = edit->text();
    const int first = Utf16IndexFromCharacter(text, start);
    const int last = Utf16IndexFromCharacter(text, end);
    // The caret ends at the end of the selection, and a line edit keeps its caret
    // in view by itself.
    if (first == last) {
        edit->deselect();
        edit->setCursorPosition(first);
    } else {
        edit->setSelection(first, last - first);
    }
}

namespace {

QString BoxText(const std::string& text) {
    QString shown = QStringFromUtf8(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

} // namespace

void CTorviMainWindow::SetFeedbackText(const std::string& text) {
    m_pFeedback->setPlainText(BoxText(text));
    m_bVerdictDue = true;
    ScheduleStepEnd();
}

void CTorviMainWindow::SetCommentText(const std::string& text) {
    m_pComment->setPlainText(BoxText(text));
    m_bVerdictDue = true;
    ScheduleStepEnd();
}

// One step of the quiz (an answer judged, the next question asked, the score)
// changes the boxes, the page and the focus within one handler of the
// dialog. A screen reader is told what the window then shows, in the order
// the learner needs it: the verdict with its comment, the new page once it
// has loaded, and last the focus in the answer box, which a screen reader
// speaks by the box's name.
void CTorviMainWindow::ScheduleStepEnd() {
    if (m_bStepEndDue) {
        return;
    }
    m_bStepEndDue = true;
    QMetaObject::invokeMethod(this, &CTorviMainWindow::EndStep, Qt::QueuedConnection);
}

void CTorviMainWindow::EndStep() {
    if (!m_bStepEndDue) {
        return;
    }
    m_bStepEndDue = false;
    if (m_bVerdictDue) {
        m_bVerdictDue = false;
        AnnounceVerdict();
    }
    // A page still loading finishes the step when it is there.
    if (m_nPageRequests == 0) {
        PlaceFocus();
    }
}

void CTorviMainWindow::AnnounceVerdict() {
    QStringList shown;
    for (const QPlainTextEdit* box : {m_pFeedback, m_pComment}) {
        const QString text = box->toPlainText();
        if (!text.isEmpty()) {
            shown.append(text);
        }
    }
    m_pAnnouncer->Announce(shown.join(QLatin1Char('\n')));
}

void CTorviMainWindow::OnPageLoaded(bool ok) {
    if (m_nPageRequests == 0) {
        return; // a load the view started by itself
    }
    // Only the page asked for last is read; one that a later request cut
    // short finishes as not loaded.
    if (--m_nPageRequests > 0) {
        return;
    }
    if (!ok) {
        EndStep();
        PlaceFocus();
        return;
    }
    // The text as the view shows it, read once the verdict before it has
    // been said.
    m_pBrowser->page()->toPlainText(
        [window = QPointer<CTorviMainWindow>(this)](const QString& text) {
            if (window == nullptr || window->m_nPageRequests > 0) {
                return;
            }
            window->EndStep();
            window->m_pPageAnnouncer->Announce(text.simplified());
            window->PlaceFocus();
        });
}

void CTorviMainWindow::PlaceFocus() {
    const int box = m_nFocusDue;
    m_nFocusDue = -1;
    QWidget* left = m_pFocusLeft;
    m_pFocusLeft = nullptr;
    if (box >= 0 && GetAnswerBox(box)->isEnabled() && GetAnswerBox(box)->isVisible()) {
        GetAnswerBox(box)->setFocus(Qt::OtherFocusReason);
        return;
    }
    // The box that had the focus stays closed (a correction is shown): the
    // focus goes on to the next control that takes it, as Qt would have sent it.
    if (left != nullptr && focusWidget() == nullptr) {
        MoveFocusFrom(left, true);
    }
    // With Quit off as well the quiz is over (the score is shown): the focus
    // would rest in a text box the learner can only read, so it goes to the
    // first button that still works, Restart.
    const QWidget* focus = focusWidget();
    const bool inTextBox = focus == nullptr || focus == m_pComment || focus == m_pFeedback;
    if (!inTextBox || m_btnQuit->isEnabled()) {
        return;
    }
    for (QPushButton* button : {m_btnQuit, m_btnRestart, m_btnRepeat, m_btnExplanation}) {
        if (button->isEnabled() && button->isVisible()) {
            button->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

int CTorviMainWindow::GetFeedbackBoxWidth() {
    return m_pFeedback->geometry().width();
}

void CTorviMainWindow::EnableButton(EButton button, bool enable) {
    GetButton(button)->setEnabled(enable);
}

void CTorviMainWindow::CheckMenuItem(EMenuItem item, bool checked) {
    GetMenuAction(item)->setChecked(checked);
}

void CTorviMainWindow::SetWindowTitle(const std::string& title) {
    setWindowTitle(QStringFromUtf8(title));
}

void CTorviMainWindow::ShowMessageBox(const std::string& text, const std::string& caption) {
    QMessageBox box(QMessageBox::Information, QStringFromUtf8(caption), QStringFromUtf8(text),
                    QMessageBox::Ok, this);
    ExecReturningTo(box, this);
}

bool CTorviMainWindow::ChooseOpenFile(std::string& path) {
    QString chosen;
    if (!m_strOpenFileAnswer.isEmpty()) {
        chosen = m_strOpenFileAnswer;
        m_strOpenFileAnswer.clear();
    } else {
        QFileDialog dialog(this);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        // Quizzes first and by default; the files of other programs are converted
        // as they are opened.
        dialog.setNameFilters(
            {QStringLiteral("*.txt"), QStringLiteral("Vocabulary files (*.kvtml)"),
             QStringLiteral("Spreadsheets (*.csv *.tsv *.tab)"), QStringLiteral("All files (*)")});
        dialog.setDefaultSuffix(QStringLiteral("txt"));
        const bool folderThere = !m_strOpenFolder.isEmpty() && QDir(m_strOpenFolder).exists();
        dialog.setDirectory(folderThere ? m_strOpenFolder : QDir::currentPath());
        // The name box starts as the filter, as it reads in the dialog template.
        dialog.selectFile(QStringLiteral("*.txt"));
        if (ExecReturningTo(dialog, this) != QDialog::Accepted ||
            dialog.selectedFiles().isEmpty()) {
            return false;
        }
        chosen = dialog.selectedFiles().constFirst();
    }
    // Remembered for this run only; nothing is written anywhere.
    m_strOpenFolder = QFileInfo(chosen).absolutePath();
    path = Utf8FromQString(chosen);
    return true;
}

void CTorviMainWindow::Navigate(const std::string& path) {
    ++m_nPageRequests;
    m_pBrowser->Navigate(path);
}

bool CTorviMainWindow::OpenUrl(const std::string& url) {
    return QDesktopServices::openUrl(QUrl(QStringFromUtf8(url)));
}

bool CTorviMainWindow::OpenHelpFile(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QStringFromUtf8(path)));
}

bool CTorviMainWindow::ReplaceProcess(const std::string& path) {
    // A program file that others could have changed is treated as missing.
    const int program = OpenTrustedProgram(path);
    if (program < 0) {
        return false;
    }
    // The cue being played reads memory that is about to vanish with this process.
    if (m_pPlayer != nullptr) {
        m_pPlayer->Stop();
    }
    StartProgramInPlace(program, path);
    return false;
}

void CTorviMainWindow::ShowAboutBox() {
    CAboutDlg about(this);
    ExecReturningTo(about, this);
}

void CTorviMainWindow::HideWindow() {
    hide();
}

void CTorviMainWindow::EndDialog() {
    QDialog::done(QDialog::Rejected);
}

// ---- events ----

void CTorviMainWindow::accept() {
    if (m_pDialog == nullptr) {
        QDialog::accept();
        return;
    }
    m_pDialog->OnOK();
}

void CTorviMainWindow::reject() {
    if (m_pDialog == nullptr) {
        QDialog::reject();
        return;
    }
    m_pDialog->OnCancel();
}

void CTorviMainWindow::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (m_pDialog != nullptr) {
        m_pDialog->OnPaint(isMinimized());
    }
}

void CTorviMainWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_bFocusPlaced) {
        // The first control that takes Tab gets the focus, as a dialog starts.
        m_bFocusPlaced = true;
        MoveFocus(true);
    }
}

void CTorviMainWindow::closeEvent(QCloseEvent* event) {
    if (m_pDialog == nullptr) {
        QDialog::closeEvent(event);
        return;
    }
    // The dialog decides: it ends the run, or only hides the window.
    event->ignore();
    m_pDialog->OnClose();
}

bool CTorviMainWindow::IsOwnKeyTarget(QObject* watched) const {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this) {
        return false;
    }
    // A menu being worked with the keyboard keeps its keys.
    return !(widget == m_pMenuBar || m_pMenuBar->isAncestorOf(widget));
}

bool CTorviMainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && IsOwnKeyTarget(watched)) {
        return HandleKeyPress(static_cast<QKeyEvent*>(event));
    }
    // A new style or palette brings its own text colour.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
        for (QLineEdit* box : m_answerBoxes) {
            if (box != nullptr && watched == box)
                DrawDisabledTextAsNormal(box);
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool CTorviMainWindow::HandleKeyPress(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter is the quiz's key wherever the focus is; it never presses a
        // button or ends the dialog.
        if (modifiers == Qt::NoModifier) {
            Forward(&CTorviDlg::OnEnter);
        }
        return true;
    case Qt::Key_Escape:
        Forward(&CTorviDlg::OnIgnoreKey);
        return true;
    case Qt::Key_A:
        // Also inside an answer box, where a line edit would select all.
        if (modifiers == Qt::ControlModifier) {
            Forward(&CTorviDlg::OnAccent);
            return true;
        }
        return false;
    case Qt::Key_Tab:
        if (modifiers == Qt::NoModifier) {
            MoveFocus(true);
            return true;
        }
        return false;
    case Qt::Key_Backtab:
        MoveFocus(false);
        return true;
    default:
        return false;
    }
}

void CTorviMainWindow::MoveFocus(bool forward) {
    MoveFocusFrom(focusWidget(), forward);
}

void CTorviMainWindow::MoveFocusFrom(const QWidget* focus, bool forward) {
    // The page view hands its keys to an inner widget, so the focus may sit in a
    // descendant of a tab stop rather than in the tab stop itself.
    const int count = static_cast<int>(m_tabStops.size());
    int current = forward ? -1 : count;
    for (int i = 0; i < count; ++i) {
        QWidget* stop = m_tabStops[static_cast<size_t>(i)];
        if (focus != nullptr && (focus == stop || stop->isAncestorOf(focus))) {
            current = i;
            break;
        }
    }
    for (int step = 1; step <= count; ++step) {
        const int index = ((current + (forward ? step : -step)) % count + count) % count;
        QWidget* stop = m_tabStops[static_cast<size_t>(index)];
        if (stop->isVisible() && stop->isEnabled()) {
            stop->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    }
}
