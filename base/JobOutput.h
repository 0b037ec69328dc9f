// Where an engine reports while it works: the progress page's controls, the
// console of zmcli, or a test's own record. Every engine (writer, restore,
// scanner, comparator) reports through this one interface; every call comes from
// the engine's thread, in the order the job makes them.
#pragma once

class CJobOutput {
public:
    enum { NO_IMAGE = -1 };

    virtual ~CJobOutput() {}

    // Appends one line (code page 1251 text, no line end), with an image of the
    // list's image list or NO_IMAGE.
    virtual void AddLine(const char* text, int image = NO_IMAGE) = 0;
    // Changes the image of a line; line counts the lines added through this
    // output, from 0.
    virtual void SetLineImage(int line, int image) {}
    // Removes every line.
    virtual void ClearLines() {}
    // The item being worked on; "" when none.
    virtual void SetCurrentItem(const char* text) {}
    // Progress of the current item in tenths (0..10), or -1 to clear it.
    virtual void SetItemProgress(int tenths) {}
    // Progress of the whole job in percent (0..100), or -1 to clear it.
    virtual void SetJobProgress(int percent) {}
    // The job has ended and was not cancelled. success: what the job makes (an
    // archive, a report, a comparison) was made.
    virtual void JobEnded(bool success) {}
};
