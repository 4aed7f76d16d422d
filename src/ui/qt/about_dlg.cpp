#include "ui/qt/about_dlg.h"

#include <QLabel>
#include <QPushButton>

#include "ui/qt/dialog_units.h"
#include "ui/qt/torvi_icon.h"

const char* const CAboutDlg::kMakerText =
    "The Torvi Project, makers of the Torvi quiz editor and the torvi-cli tool";
const char* const CAboutDlg::kContactText = "Contact: help@torvi.example.org";
const char* const CAboutDlg::kNoticeText =
    "Version " TORVI_VERSION
    ". Free software under the GNU General Public License, version 3 or later.";

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(QStringLiteral("About Torvi"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);

    const QFont font = CDialogUnits::MakeFont(QStringLiteral("MS Sans Serif"), 8, QFont::SansSerif);
    setFont(font);
    const CDialogUnits units(font);
    setFixedSize(units.X(235), units.Y(98));

    m_pIcon = new QLabel(this);
    m_pIcon->setObjectName(QStringLiteral("aboutIcon"));
    m_pIcon->setGeometry(units.Rect(11, 17, 20, 20));
    m_pIcon->setPixmap(TorviIcon().pixmap(32, 32));
    m_pIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // The name line carries the major and minor version, the notice line all of it.
    m_pName = new QLabel(QStringLiteral("Halvan Torvi v") +
                             QStringLiteral(TORVI_VERSION).section(QLatin1Char('.'), 0, 1),
                         this);
    m_pName->setObjectName(QStringLiteral("aboutName"));
    m_pName->setGeometry(units.Rect(40, 10, 119, 8));

    m_pMaker = new QLabel(QString::fromUtf8(kMakerText), this);
    m_pMaker->setObjectName(QStringLiteral("aboutMaker"));
    m_pMaker->setGeometry(units.Rect(39, 21, 105, 29));
    m_pMaker->setWordWrap(true);
    m_pMaker->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_btnOk = new QPushButton(QStringLiteral("OK"), this);
    m_btnOk->setObjectName(QStringLiteral("aboutOk"));
    m_btnOk->setGeometry(units.Rect(178, 7, 50, 14));
    m_btnOk->setDefault(true);
    connect(m_btnOk, &QPushButton::clicked, this, &QDialog::accept);

    m_pContact = new QLabel(QString::fromUtf8(kContactText), this);
    m_pContact->setObjectName(QStringLiteral("aboutContact"));
    m_pContact->setGeometry(units.Rect(40, 64, 145, 8));

    m_pNotice = new QLabel(QString::fromUtf8(kNoticeText), this);
    m_pNotice->setObjectName(QStringLiteral("aboutNotice"));
    m_pNotice->setGeometry(units.Rect(40, 75, 188, 18));
    m_pNotice->setWordWrap(true);
    m_pNotice->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_btnOk->setFocus();
}
