// How many running copies of the program are too many for the instance that relocates: a
// plain rule over the counts, with the counting and the waiting handed in.
#pragma once
#include <functional>

// More running processes of the program than this (the counting one included) make the
// relocating instance wait once and count again.
const int MAX_RUNNING_INSTANCES = 2;
const unsigned long INSTANCE_WAIT_MS = 1000;

// True when the relocation may go on: the first count is within the limit, or the second
// one, after one wait of INSTANCE_WAIT_MS. False: still too many, the instance ends.
bool InstanceLimitAllows(const std::function<int()>& countRunning,
                         const std::function<void(unsigned long)>& wait);
