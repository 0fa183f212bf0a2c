#include "InstanceLimit.h"

bool InstanceLimitAllows(const std::function<int()>& countRunning,
                         const std::function<void(unsigned long)>& wait)
{
    if (countRunning() <= MAX_RUNNING_INSTANCES) return true;
    wait(INSTANCE_WAIT_MS);
    return countRunning() <= MAX_RUNNING_INSTANCES;
}
