// CAboutDlg: the about box, a small modal dialog with the program's name,
// its maker, a contact line, and a notice line with the version and the licence.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    static const char* const kMakerText;
    static const char* const kContactText;
    static const char* const kNoticeText;

private:
    QLabel* m_pIcon = nullptr;
    QLabel* m_pName = nullptr;
    QLabel* m_pMaker = nullptr;
    QLabel* m_pContact = nullptr;
    QLabel* m_pNotice = nullptr;
    QPushButton* m_btnOk = nullptr;
};
