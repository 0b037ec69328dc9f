#include "app/AboutDlg.h"
#include "app/HyperLink.h"
#include "res/resource.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/app/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

const char kCaption[] = "Zelmora: О программе";

std::string TextOf(HWND h)
{
    char text[256] = "";
    ::GetWindowTextA(h, text, sizeof(text));
    return text;
}

bool Underlined(HWND link)
{
    HFONT font = (HFONT)::SendMessageA(link, WM_GETFONT, 0, 0);
    LOGFONTA lf = {};
    return font && ::GetObjectA(font, sizeof(lf), &lf) && lf.lfUnderline;
}

// Group boxes of a dialog by their texts.
std::vector<std::string> GroupBoxes(HWND dlg)
{
    std::vector<std::string> texts;
    for (HWND c = ::GetWindow(dlg, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        char cls[32];
        ::GetClassNameA(c, cls, sizeof(cls));
        if (!lstrcmpiA(cls, "Button") && (::GetWindowLongA(c, GWL_STYLE) & 0xF) == BS_GROUPBOX)
            texts.push_back(TextOf(c));
    }
    return texts;
}

// A click as the mouse makes it; the static reports it while the button is
// pressed, so the handler has run when this returns.
void ClickLink(HWND link)
{
    ::SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ::SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

TEST_F(MainWindowTest, AboutBoxLayoutLinksAndHover)
{
    SkipSplash();
    struct {
        HWND dlg = nullptr, owner = nullptr;
        bool bigIcon = false, notifyStyles = true, okDefault = false;
        std::string ok;
        std::vector<std::string> links, groups;
        SIZE picture = {0, 0}, client = {0, 0}, units = {0, 0};
        bool underlinedOnMove = false, underlineGone = false, cursorSet = false;
        bool colorAnswered = false, transparent = false;
        COLORREF textColor = 0;
    } seen;
    RunModal(ID_APP_ABOUT, [&] {
        HWND dlg = WaitForWindow(kCaption);
        if (!dlg)
            return;
        seen.dlg = dlg;
        seen.owner = ::GetWindow(dlg, GW_OWNER);
        seen.bigIcon = ::SendMessageA(dlg, WM_GETICON, ICON_BIG, 0) != 0;
        HWND ok = ::GetDlgItem(dlg, IDOK);
        seen.ok = TextOf(ok);
        seen.okDefault = (::GetWindowLongA(ok, GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON;
        for (int id : {IDC_ABOUT_SITE, IDC_ABOUT_MAIL, IDC_ABOUT_MAIL_CODE, IDC_ABOUT_MAIL_ART}) {
            HWND link = ::GetDlgItem(dlg, id);
            seen.links.push_back(TextOf(link));
            seen.notifyStyles = seen.notifyStyles && (::GetWindowLongA(link, GWL_STYLE) & SS_NOTIFY);
        }
        seen.groups = GroupBoxes(dlg);
        for (HWND c = ::GetWindow(dlg, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
            HBITMAP bmp = (HBITMAP)::SendMessageA(c, STM_GETIMAGE, IMAGE_BITMAP, 0);
            BITMAP bm;
            if ((::GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP && bmp &&
                ::GetObjectA(bmp, sizeof(bm), &bm))
                seen.picture = {bm.bmWidth, bm.bmHeight};
        }
        RECT rc, units = {0, 0, 290, 130};
        ::GetClientRect(dlg, &rc);
        ::MapDialogRect(dlg, &units);
        seen.client = {rc.right, rc.bottom};
        seen.units = {units.right, units.bottom};

        // Hover: the pointer first well away, then a move over the link.
        HWND site = ::GetDlgItem(dlg, IDC_ABOUT_SITE);
        ::SetCursorPos(1, 1);
        ::SendMessageA(site, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
        seen.underlinedOnMove = Underlined(site);
        seen.cursorSet = ::SendMessageA(site, WM_SETCURSOR, (WPARAM)site, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)) != 0;
        // The pointer is not over the link: its timer takes the underline off.
        for (int i = 0; i < 300 && Underlined(site); ++i)
            ::Sleep(10);
        seen.underlineGone = !Underlined(site);

        // The colour the dialog answers for a link.
        HDC dc = ::CreateCompatibleDC(nullptr);
        seen.colorAnswered = ::SendMessageA(dlg, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)site) != 0;
        seen.textColor = ::GetTextColor(dc);
        seen.transparent = ::GetBkMode(dc) == TRANSPARENT;
        ::DeleteDC(dc);

        for (int id : {IDC_ABOUT_SITE, IDC_ABOUT_MAIL, IDC_ABOUT_MAIL_CODE, IDC_ABOUT_MAIL_ART})
            ClickLink(::GetDlgItem(dlg, id));
        ::SendMessageA(ok, BM_CLICK, 0, 0);
    });
    ASSERT_NE(nullptr, seen.dlg) << "no About box";
    EXPECT_FALSE(::IsWindow(seen.dlg)); // "OK" closed it
    EXPECT_EQ(wnd->m_hWnd, seen.owner);
    EXPECT_TRUE(seen.bigIcon);
    EXPECT_EQ("OK", seen.ok);
    EXPECT_TRUE(seen.okDefault);
    ASSERT_EQ(4u, seen.links.size());
    EXPECT_EQ("Сайт: http://www.quorvane.example", seen.links[0]);
    EXPECT_EQ("E-mail: info@quorvane.example", seen.links[1]);
    EXPECT_EQ(0u, seen.links[2].find("E-mail: "));
    EXPECT_EQ(0u, seen.links[3].find("E-mail: "));
    EXPECT_TRUE(seen.notifyStyles);
    EXPECT_EQ((std::vector<std::string>{" Quorvane ", " Создатели "}), seen.groups);
    EXPECT_EQ(176, seen.picture.cx);
    EXPECT_EQ(100, seen.picture.cy);
    EXPECT_EQ(seen.units.cx, seen.client.cx);
    EXPECT_EQ(seen.units.cy, seen.client.cy);
    EXPECT_TRUE(seen.underlinedOnMove);
    EXPECT_TRUE(seen.cursorSet);
    EXPECT_TRUE(seen.underlineGone);
    EXPECT_TRUE(seen.colorAnswered);
    EXPECT_EQ(CHyperLink::LinkColor(), seen.textColor);
    EXPECT_TRUE(seen.transparent);

    // Each link, one shell-open of its target with the About box as parent.
    std::vector<RecordedCall> calls = CallsNamed("ShellExecute");
    ASSERT_EQ(4u, calls.size());
    const char* targets[] = {"http://www.quorvane.example", "mailto:Quorvane<info@quorvane.example>",
                             CAboutDlg::kCodeMail, CAboutDlg::kArtMail};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(std::string("ShellExecute verb=(null) file=") + targets[i] +
                      " parameters=(null) directory=(null) show=10",
                  calls[i].Describe());
        EXPECT_EQ(seen.dlg, calls[i].parent);
    }
    EXPECT_EQ(0u, std::string(CAboutDlg::kCodeMail).find("mailto:"));
    EXPECT_NE(std::string::npos, std::string(CAboutDlg::kArtMail).find("<"));
}

// The system menu's item opens the same box again, with working links.
TEST_F(MainWindowTest, AboutBoxFromTheSystemMenuAgain)
{
    SkipSplash();
    for (int run = 0; run < 2; ++run) {
        RecordedCalls().clear();
        HWND seen = nullptr;
        bool underlined = false;
        RunModal(
            ID_APP_ABOUT,
            [&] {
                seen = WaitForWindow(kCaption);
                if (!seen)
                    return;
                HWND art = ::GetDlgItem(seen, IDC_ABOUT_MAIL_ART);
                ::SendMessageA(art, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
                underlined = Underlined(art);
                ClickLink(art);
                ::PostMessageA(seen, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            },
            15000, WM_SYSCOMMAND);
        ASSERT_NE(nullptr, seen) << run;
        EXPECT_TRUE(underlined) << run;
        ASSERT_EQ(1u, CallsNamed("ShellExecute").size()) << run;
        EXPECT_EQ(CAboutDlg::kArtMail, CallsNamed("ShellExecute")[0].text);
    }
}

TEST(HyperLink, DrawnInTheHotTrackingColourUnlessItWouldHide)
{
    const COLORREF face = RGB(212, 208, 200), blue = RGB(0, 102, 204), selection = RGB(10, 36, 106);
    EXPECT_EQ(blue, CHyperLink::ChooseLinkColor(TRUE, blue, selection, face));
    // A scheme without a hot-tracking colour.
    EXPECT_EQ(selection, CHyperLink::ChooseLinkColor(FALSE, blue, selection, face));
    // One that makes it the grey of the face.
    EXPECT_EQ(selection, CHyperLink::ChooseLinkColor(TRUE, RGB(224, 224, 224), selection, face));
    // A light colour on a dark face stands out.
    EXPECT_EQ(RGB(255, 255, 0), CHyperLink::ChooseLinkColor(TRUE, RGB(255, 255, 0), selection, RGB(0, 0, 0)));
}

TEST_F(MainWindowTest, WebSiteCommandOpensTheSite)
{
    wnd->SendMessage(WM_COMMAND, ID_HELP_SITE);
    std::vector<RecordedCall> calls = CallsNamed("ShellExecute");
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("ShellExecute verb=(null) file=http://www.quorvane.example parameters=(null) directory=(null) show=10",
              calls[0].Describe());
    EXPECT_EQ(wnd->m_hWnd, calls[0].parent);
}

// The text viewers write into the current directory: each test gets a
// scratch one and leaves the old one afterwards.
class TextViewerTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ::GetCurrentDirectoryA(MAX_PATH, previous);
        ::SetCurrentDirectoryA(texts.Path().c_str());
    }
    void TearDown() override
    {
        ::SetCurrentDirectoryA(previous);
        MainWindowTest::TearDown();
    }
    static Bytes Resource(UINT id)
    {
        HMODULE self = ::GetModuleHandleA(nullptr);
        HRSRC r = ::FindResourceA(self, MAKEINTRESOURCEA(id), "RT_TXT");
        if (!r)
            return {};
        const BYTE* p = (const BYTE*)::LockResource(::LoadResource(self, r));
        return Bytes(p, p + ::SizeofResource(self, r));
    }
    static bool Contains(const Bytes& b, const char* text)
    {
        const BYTE* t = reinterpret_cast<const BYTE*>(text);
        return std::search(b.begin(), b.end(), t, t + std::strlen(text)) != b.end();
    }
    // Lines end in CR LF, and nowhere else is there a CR or an LF.
    static bool CrLfLines(const Bytes& b)
    {
        for (size_t i = 0; i < b.size(); ++i) {
            if (b[i] == '\n' && (i == 0 || b[i - 1] != '\r'))
                return false;
            if (b[i] == '\r' && (i + 1 == b.size() || b[i + 1] != '\n'))
                return false;
        }
        return !b.empty() && b.back() == '\n';
    }

    CScratchDir texts;
    char previous[MAX_PATH] = "";
};

TEST_F(TextViewerTest, ReadMeTwiceWritesTheSameBytesAndOpensThemEachTime)
{
    Bytes text = Resource(IDR_README);
    ASSERT_GT(text.size(), 4000u);
    // Code page 1251 (a text in UTF-8 would not hold these bytes), CR LF lines.
    EXPECT_TRUE(Contains(text, "Поддерживаемые системы"));
    EXPECT_TRUE(Contains(text, "/autorun"));
    EXPECT_TRUE(Contains(text, "ZM.ini"));
    EXPECT_TRUE(Contains(text, "zmcli"));
    EXPECT_TRUE(CrLfLines(text));
    std::string file = texts / "ReadMe.txt";
    for (int run = 0; run < 2; ++run) {
        if (run == 1) // the second run replaces whatever is there
            WriteFileBytes(file, Bytes(20000, 'x'));
        RecordedCalls().clear();
        wnd->SendMessage(WM_COMMAND, ID_HELP_README);
        EXPECT_TRUE(ReadFileBytes(file) == text) << run;
        std::vector<RecordedCall> calls = CallsNamed("ShellExecute");
        ASSERT_EQ(1u, calls.size()) << run;
        EXPECT_EQ("ShellExecute verb=(null) file=ReadMe.txt parameters=(null) directory=(null) show=10",
                  calls[0].Describe());
        EXPECT_EQ(wnd->m_hWnd, calls[0].parent);
    }
}

TEST_F(TextViewerTest, LicenceIsWrittenAndOpened)
{
    Bytes text = Resource(IDR_LICENSE);
    ASSERT_GT(text.size(), 1000u);
    EXPECT_TRUE(Contains(text, "Zelmora"));
    EXPECT_TRUE(Contains(text, "zelmora.exe"));
    EXPECT_TRUE(CrLfLines(text));
    wnd->SendMessage(WM_COMMAND, ID_HELP_LICENSE);
    EXPECT_TRUE(ReadFileBytes(texts / "License.txt") == text);
    ASSERT_EQ(1u, CallsNamed("ShellExecute").size());
    EXPECT_EQ("License.txt", CallsNamed("ShellExecute")[0].text);
}

// A directory nobody may create files in (sysfs, whose root refuses new
// entries even to the superuser): nothing is written, nothing breaks, and
// the viewer is still asked to open the name.
TEST_F(TextViewerTest, ReadOnlyCurrentDirectoryWritesNothing)
{
    const char readOnly[] = "Z:\\sys";
    ASSERT_TRUE(::SetCurrentDirectoryA(readOnly)) << "no " << readOnly;
    HANDLE probe = ::CreateFileA("zm-probe.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        ::CloseHandle(probe);
        ::DeleteFileA("zm-probe.txt");
        GTEST_SKIP() << readOnly << " takes new files here";
    }
    wnd->SendMessage(WM_COMMAND, ID_HELP_README);
    wnd->SendMessage(WM_COMMAND, ID_HELP_LICENSE);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA("ReadMe.txt"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA("License.txt"));
    EXPECT_EQ(2u, CallsNamed("ShellExecute").size());
    EXPECT_TRUE(wnd->IsWindow());
}

} // namespace
