#include "LogFollower.h"
#include "LogReader.h"

namespace zvcrypt {

namespace {

// Enough to hold the opening block with its start time.
const size_t HEAD_LENGTH = 256;

}  // namespace

std::string LogFollower::next(const std::string& bytes)
{
    LogLayout layout = analyseLog(bytes);
    if (layout.nKind == LOGFILE_FOREIGN)
        return std::string();  // between a deletion and the next start, or not ours
    std::string text;
    bool restart = layout.nKind != mnKind || layout.bWide != mbWide;
    if (layout.nKind == LOGFILE_PLAIN) {
        size_t common = mHead.size() < bytes.size() ? mHead.size() : bytes.size();
        if (restart || layout.ulNewEnd < mulPos || bytes.compare(0, common, mHead, 0, common) != 0)
            mulPos = layout.ulNewStart;
        mHead = bytes.substr(0, HEAD_LENGTH);
    } else if (restart) {
        text = ringOldLines(bytes, layout);
        mulPos = layout.ulNewStart;
    } else if (layout.ulNewEnd < mulPos) {
        // Wrapped: the lines written after the last look and before the wrap still stand
        // behind the new text unless it has already reached them.
        if (layout.ulTrailerEnd <= mulPos)
            text = logText(bytes, mulPos, layout.ulOldEnd, layout.bWide);
        mulPos = layout.ulNewStart;
    }
    mnKind = layout.nKind;
    mbWide = layout.bWide;
    size_t end = afterLastLineEnd(bytes, mulPos, layout.ulNewEnd, layout.bWide);
    text += logText(bytes, mulPos, end, layout.bWide);
    mulPos = end;
    return text;
}

}  // namespace zvcrypt
