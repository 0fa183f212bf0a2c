#include <zvcrypt/zvMessage.h>
#include <zvcrypt/Log.h>
#include <algorithm>
#include <list>
#include <vector>

namespace zvcrypt {

namespace {
zvMessage* spInstance = nullptr;
std::list<zvMessageClient*>* spClientList = nullptr;
std::list<unsigned long>* spMessageList = nullptr;

void createLists()
{
    if (!spClientList)
        spClientList = new std::list<zvMessageClient*>;
    if (!spMessageList)
        spMessageList = new std::list<unsigned long>;
}

bool isRegistered(zvMessageClient* client)
{
    return spClientList &&
           std::find(spClientList->begin(), spClientList->end(), client) != spClientList->end();
}
}  // namespace

zvMessage* zvMessage::getInstance()
{
    if (!spInstance)
        spInstance = new zvMessage;
    return spInstance;
}

zvMessage::~zvMessage()
{
    delete spMessageList;
    spMessageList = nullptr;
    delete spClientList;
    spClientList = nullptr;
    if (spInstance == this)
        spInstance = nullptr;
}

bool zvMessage::registerClient(zvMessageClient* client)
{
    if (!client)
        return false;
    getInstance();
    createLists();
    // Copy: an action may broadcast and so extend the history while we replay it.
    std::vector<unsigned long> history(spMessageList->begin(), spMessageList->end());
    for (unsigned long code : history)
        if (client->accepts(code))
            client->zvMessageAction(code);
    if (!spClientList)  // an action broadcast the ending code
        createLists();
    spClientList->push_back(client);
    return true;
}

bool zvMessage::unregisterClient(zvMessageClient* client)
{
    getInstance();
    if (!spClientList)
        spClientList = new std::list<zvMessageClient*>;
    if (!client)
        return false;
    spClientList->remove(client);
    if (spClientList->empty()) {
        delete spClientList;
        spClientList = nullptr;
    }
    return true;
}

long zvMessage::broadcast(unsigned long code)
{
    createLists();
    spMessageList->push_back(code);
    // Walk a snapshot, so an action that unregisters a receiver does not break the walk;
    // a receiver unregistered meanwhile is skipped.
    std::vector<zvMessageClient*> clients(spClientList->begin(), spClientList->end());
    for (zvMessageClient* client : clients) {
        if (!isRegistered(client) || !client->accepts(code))
            continue;
        zvLogRaw("->CALLING zvMessageAction %p", static_cast<void*>(client));
        client->zvMessageAction(code);
    }
    // A receiver that itself broadcast the ending code has already ended the broadcaster.
    if (code == ZV_MSG_LOG_ENDING && spInstance == this)
        delete this;
    return 1;
}

unsigned long zvMessage::getClientCount()
{
    return spClientList ? static_cast<unsigned long>(spClientList->size()) : 0;
}

unsigned long zvMessage::getHistoryCount()
{
    return spMessageList ? static_cast<unsigned long>(spMessageList->size()) : 0;
}

}  // namespace zvcrypt
