#include <zvcrypt/zvMessage.h>
#include <zvcrypt/zvMessageClient.h>

namespace zvcrypt {

zvMessageClient::~zvMessageClient()
{
    zvMessage::getInstance();
    zvMessage::unregisterClient(this);
}

}  // namespace zvcrypt
