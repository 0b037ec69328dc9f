#include "framework/MessageMap.h"

bool CMessageMap::HandleCommand(CWnd* self, UINT id, UINT code) const
{
    for (const CommandEntry& e : m_commands)
        if (e.code == code && id >= e.first && id <= e.last) {
            // A copy, so that the call outlives any change to the table the
            // handler may make.
            std::function<void(CWnd*, UINT)> handler = e.handler;
            handler(self, id);
            return true;
        }
    return false;
}

bool CMessageMap::HandleNotify(CWnd* self, NMHDR* pnmh, LRESULT* result) const
{
    for (const NotifyEntry& e : m_notifies)
        if (e.code == pnmh->code && e.id == (UINT)pnmh->idFrom) {
            std::function<LRESULT(CWnd*, NMHDR*)> handler = e.handler;
            *result = handler(self, pnmh);
            return true;
        }
    return false;
}
