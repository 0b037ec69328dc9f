// Routing table of the messages a window's controls send it: which member
// function handles a WM_COMMAND from a control id (or a range of ids) with a
// notification code, and which handles a WM_NOTIFY from a control id with a
// notification code. A dialog fills its table in the constructor of the class
// whose members the handlers are (CDialog::RouteCommand and RouteNotify):
//
//     CFolderPage::CFolderPage() : CPropertyPage(IDD_FOLDER)
//     {
//         RouteCommand(IDC_FOLDER_BROWSE, BN_CLICKED, &CFolderPage::OnBrowseFolder);
//         RouteNotify(IDC_FOLDER_TREE, TVN_SELCHANGEDA, &CFolderPage::OnFolderSelChanged);
//     }
//
// A command handler takes nothing, or the id of the control (which a handler
// of several ids needs); a notification handler takes the NMHDR and returns
// the message result. The first entry that matches is the one called.
#pragma once

#include "framework/Wnd.h"

#include <functional>
#include <type_traits>
#include <vector>

class CMessageMap {
public:
    // Commands from the ids first..last with the code.
    template <class T>
    void AddCommand(UINT first, UINT last, UINT code, void (T::*handler)())
    {
        static_assert(std::is_base_of<CWnd, T>::value, "handlers are members of a window class");
        m_commands.push_back({first, last, code, [handler](CWnd* self, UINT) {
                                  (static_cast<T*>(self)->*handler)();
                              }});
    }
    template <class T>
    void AddCommand(UINT first, UINT last, UINT code, void (T::*handler)(UINT id))
    {
        static_assert(std::is_base_of<CWnd, T>::value, "handlers are members of a window class");
        m_commands.push_back({first, last, code, [handler](CWnd* self, UINT id) {
                                  (static_cast<T*>(self)->*handler)(id);
                              }});
    }
    // Notifications from the id with the code.
    template <class T>
    void AddNotify(UINT id, UINT code, LRESULT (T::*handler)(NMHDR* pnmh))
    {
        static_assert(std::is_base_of<CWnd, T>::value, "handlers are members of a window class");
        m_notifies.push_back({id, code, [handler](CWnd* self, NMHDR* pnmh) {
                                  return (static_cast<T*>(self)->*handler)(pnmh);
                              }});
    }

    // Calls the handler of a command on self, the window object that holds the
    // table; false when no entry matches.
    bool HandleCommand(CWnd* self, UINT id, UINT code) const;
    // Calls the handler of a notification on self and gives back its result;
    // false when no entry matches.
    bool HandleNotify(CWnd* self, NMHDR* pnmh, LRESULT* result) const;

private:
    struct CommandEntry {
        UINT first, last, code;
        std::function<void(CWnd*, UINT)> handler;
    };
    struct NotifyEntry {
        UINT id, code;
        std::function<LRESULT(CWnd*, NMHDR*)> handler;
    };
    std::vector<CommandEntry> m_commands;
    std::vector<NotifyEntry> m_notifies;
};
