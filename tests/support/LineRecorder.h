// A job output that keeps what an engine reports, for tests: the lines, the line
// images, the current items and the end of the job. It can also throw at a
// chosen line, as a failed allocation inside the engine would.
#pragma once

#include "base/JobOutput.h"

#include <functional>
#include <new>
#include <string>
#include <utility>
#include <vector>

class CLineRecorder : public CJobOutput {
public:
    std::vector<std::string> lines;
    std::vector<std::pair<int, int>> images; // (line, image)
    std::vector<std::string> items;
    int ended = 0;         // JobEnded calls
    bool success = false;  // the last JobEnded's argument
    int throwAtLine = -1;  // AddLine of this index throws std::bad_alloc
    std::function<void(int line, int image)> onImage;
    std::function<void(const std::string& item)> onItem; // after the item is kept
    std::function<void(int tenths)> onProgress;          // each item-progress step

    void AddLine(const char* text, int = NO_IMAGE) override
    {
        if ((int)lines.size() == throwAtLine)
            throw std::bad_alloc();
        lines.push_back(text);
    }
    void SetLineImage(int line, int image) override
    {
        images.push_back({line, image});
        if (onImage)
            onImage(line, image);
    }
    void ClearLines() override { lines.clear(); }
    void SetCurrentItem(const char* text) override
    {
        items.push_back(text);
        if (onItem)
            onItem(items.back());
    }
    void SetItemProgress(int tenths) override
    {
        if (onProgress)
            onProgress(tenths);
    }
    void JobEnded(bool ok) override
    {
        ended++;
        success = ok;
    }
};
