// Image list wrapper. Unlike the window wrappers it owns its handle: the list is
// destroyed with the object unless it was detached.
#pragma once

#include "framework/Platform.h"

#ifdef _WIN32
#include <commctrl.h>

class CImageList {
public:
    CImageList() : m_hImageList(nullptr) {}
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    // flags: ILC_COLOR16 | ILC_MASK and the like.
    BOOL Create(int cx, int cy, UINT flags, int initial, int grow)
    {
        DeleteImageList();
        m_hImageList = ImageList_Create(cx, cy, flags, initial, grow);
        return m_hImageList != nullptr;
    }
    BOOL DeleteImageList()
    {
        if (!m_hImageList)
            return FALSE;
        ImageList_Destroy(m_hImageList);
        m_hImageList = nullptr;
        return TRUE;
    }
    HIMAGELIST Detach()
    {
        HIMAGELIST h = m_hImageList;
        m_hImageList = nullptr;
        return h;
    }
    operator HIMAGELIST() const { return m_hImageList; }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }

    int GetImageCount() const { return m_hImageList ? ImageList_GetImageCount(m_hImageList) : 0; }
    // Adds a bitmap; pixels of the mask colour become transparent. Returns the index or -1.
    int Add(HBITMAP bmp, COLORREF mask) const { return ImageList_AddMasked(m_hImageList, bmp, mask); }
    int Add(HICON icon) const { return ImageList_AddIcon(m_hImageList, icon); }
    // A new icon made from an image; the caller destroys it.
    HICON ExtractIcon(int index) const { return ImageList_GetIcon(m_hImageList, index, ILD_NORMAL); }
    BOOL Remove(int index) const { return ImageList_Remove(m_hImageList, index); }

    HIMAGELIST m_hImageList;
};
#endif
