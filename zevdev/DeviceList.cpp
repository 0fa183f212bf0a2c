#include "DeviceList.h"

namespace zevdev {

bool DeviceList::read(DeviceTree& tree, const DeviceQuery& query, std::string& error)
{
    if (mbValid && mQuery == query) return true;
    mbValid = tree.enumerate(query, mNodes, error);
    mQuery = query;
    return mbValid;
}

} // namespace zevdev
