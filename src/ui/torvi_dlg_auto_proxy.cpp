#include "ui/torvi_dlg_auto_proxy.h"

#include "ui/torvi_dlg.h"

CTorviDlgAutoProxy::CTorviDlgAutoProxy(CTorviDlg* dialog) : m_pDialog(dialog) {
    if (m_pDialog)
        m_pDialog->m_pAutoProxy = this;
}

CTorviDlgAutoProxy::~CTorviDlgAutoProxy() {
    if (m_pDialog)
        m_pDialog->m_pAutoProxy = nullptr;
}
