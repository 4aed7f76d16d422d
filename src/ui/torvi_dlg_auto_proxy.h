// CTorviDlgAutoProxy: the automation object of the quiz window. It exposes no
// properties and no methods; its only effect is that while one is attached,
// closing the window only hides it.
//
// Linux has no COM, so the program never creates one: the class exists for the
// window's closing rule and its tests.
#pragma once

class CTorviDlg;

class CTorviDlgAutoProxy {
public:
    // Attaches to dialog (which may be null): both sides point at each other.
    explicit CTorviDlgAutoProxy(CTorviDlg* dialog);
    // Detaches from the dialog, if it is still there.
    ~CTorviDlgAutoProxy();
    CTorviDlgAutoProxy(const CTorviDlgAutoProxy&) = delete;
    CTorviDlgAutoProxy& operator=(const CTorviDlgAutoProxy&) = delete;

    // The attached dialog, or null once the dialog has gone.
    CTorviDlg* m_pDialog = nullptr;
};
