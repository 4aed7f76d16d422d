// CAboutDlg: the about box, a small modal dialog with the program's name,
// its maker and a contact line.
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

private:
    QLabel* m_pIcon = nullptr;
    QLabel* m_pName = nullptr;
    QLabel* m_pMaker = nullptr;
    QLabel* m_pContact = nullptr;
    QPushButton* m_btnOk = nullptr;
};
