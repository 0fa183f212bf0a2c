// Device-list reads and time of one removal attempt against a tree of 500 devices, through
// the device-tree seam: before (a list of every class, every device described, read at
// every pass) and now (one list per handle, the pattern's enumerator only, descriptions
// only of matching devices). The attempt is the program's: both eject commands, each in its
// pass loop on a handle of its own, read with the program's rules. The tree is plain values,
// so the times show the library's own work; the reads and properties are what costs on a
// real PC (each property a SetupAPI call).
#include "FakeDeviceTree.h"
#include "Library.h"
#include "RemovalAttempt.h"
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const int DEVICES = 500;
const int ROUNDS = 50;
const char TOKEN[] = "USB\\VID_3E7A&PID_4107\\ZV000001";

// The tree a PC with a token plugged in might have: ACPI and PCI devices, USB hubs with
// keyboards, mice, cameras and their interfaces, HID and storage children, and the token.
void BuildTree(FakeDeviceTree& tree)
{
    char id[128], hw[128];
    tree.add("ROOT\\ACPI_HAL\\0000", {"acpi_hal"}, "", "Computer");
    tree.add("PCI\\VEN_8086&DEV_A36D\\3&1", {"PCI\\VEN_8086&DEV_A36D"}, "ROOT\\ACPI_HAL\\0000", "USB controller");
    for (int hub = 0; hub < 4; ++hub) {
        snprintf(id, sizeof id, "USB\\ROOT_HUB30\\4&%d", hub);
        tree.add(id, {"USB\\ROOT_HUB30"}, "PCI\\VEN_8086&DEV_A36D\\3&1", "USB root hub");
    }
    tree.add(TOKEN, {"USB\\VID_3E7A&PID_4107&REV_0100", "USB\\VID_3E7A&PID_4107"}, "USB\\ROOT_HUB30\\4&0", "Vaultik");
    tree.add("USB\\VID_3E7A&PID_4107&MI_00\\5&1", {"USB\\VID_3E7A&PID_4107&MI_00"}, TOKEN, "Vaultik storage");
    tree.add("USB\\VID_3E7A&PID_4107&MI_01\\5&2", {"USB\\VID_3E7A&PID_4107&MI_01"}, TOKEN, "Vaultik smart card");
    tree.add("USBSTOR\\DISK&VEN_ZEVTRON&PROD_VAULTIK\\6&1", {"USBSTOR\\DiskZevtron_Vaultik"},
             "USB\\VID_3E7A&PID_4107&MI_00\\5&1", "Vaultik USB Device");
    // USB devices, each with two interfaces and a HID child of the first.
    for (int i = 0; static_cast<int>(tree.nodes.size()) + 4 <= DEVICES / 2; ++i) {
        std::string device = "USB\\VID_046D&PID_C" + std::to_string(100 + i) + "\\7&" + std::to_string(i);
        snprintf(hw, sizeof hw, "USB\\VID_046D&PID_C%d&REV_0100", 100 + i);
        char hub[32];
        snprintf(hub, sizeof hub, "USB\\ROOT_HUB30\\4&%d", i % 4);
        tree.add(device, {hw}, hub, "USB Composite Device");
        for (int mi = 0; mi < 2; ++mi) {
            snprintf(id, sizeof id, "USB\\VID_046D&PID_C%d&MI_0%d\\8&%d", 100 + i, mi, i);
            snprintf(hw, sizeof hw, "USB\\VID_046D&PID_C%d&MI_0%d", 100 + i, mi);
            tree.add(id, {hw}, device, "USB Input Device");
        }
        snprintf(id, sizeof id, "HID\\VID_046D&PID_C%d&MI_00\\9&%d", 100 + i, i);
        snprintf(hw, sizeof hw, "HID\\VID_046D&PID_C%d&MI_00", 100 + i);
        snprintf(hub, sizeof hub, "USB\\VID_046D&PID_C%d&MI_00\\8&%d", 100 + i, i);
        tree.add(id, {hw}, hub, "HID-compliant mouse");
    }
    // The rest: ACPI, PCI, software and storage devices.
    const char* const kinds[] = {"ACPI\\PNP0C0%X\\%d", "PCI\\VEN_10EC&DEV_%04X\\%d", "SWD\\MMDEVAPI\\{0.0.%d.%d}",
                                 "STORAGE\\VOLUME\\{%X-%d}", "DISPLAY\\DEL%04X\\%d"};
    for (int i = 0; static_cast<int>(tree.nodes.size()) < DEVICES; ++i) {
        snprintf(id, sizeof id, kinds[i % 5], i, i);
        std::string hwId(id, strrchr(id, '\\') - id);
        tree.add(id, {hwId}, "ROOT\\ACPI_HAL\\0000", "System device");
    }
}

// The tree as the library read it before: every class, every device described, whatever
// the pattern needs.
class ReadEverything : public zevdev::DeviceTree {
public:
    explicit ReadEverything(zevdev::DeviceTree& tree) : m_tree(tree) {}
    using zevdev::DeviceTree::enumerate;
    bool enumerate(const zevdev::DeviceQuery&, std::vector<zevdev::DeviceNode>& nodes, std::string& error) override
    {
        return m_tree.enumerate(zevdev::DeviceQuery(), nodes, error);
    }
    zevdev::EjectAnswer requestEject(const zevdev::DeviceNode& node) override { return m_tree.requestEject(node); }

private:
    zevdev::DeviceTree& m_tree;
};

// Properties the system's tree reads for one list: instance id, hardware ids and parent of
// every device, and a description (friendly name, then device description) where asked.
long PropertyReads(const FakeDeviceTree& tree)
{
    long reads = 0;
    std::string matched;
    for (const zevdev::DeviceQuery& q : tree.reads)
        for (const zevdev::DeviceNode& n : tree.nodes) {
            if (!q.enumerator.empty() && !zevdev::MatchDevicePattern(q.enumerator + "\\*", n.instanceId)) continue;
            reads += 3;
            if (zevdev::MatchDevice(n, q.described, matched)) reads += 2;
        }
    return reads;
}

double NowMs()
{
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

struct Measure {
    size_t reads = 0;      // device-list reads, all attempts of one removal
    long properties = 0;   // property reads they cost on a real tree
    int attempts = 0;
    double minMs = 0, medianMs = 0;  // per attempt
};

// One removal: the token refuses `refusals` times, then is ejected.
Measure Removal(bool before, int refusals)
{
    Measure m;
    std::vector<double> times;
    for (int round = 0; round < ROUNDS; ++round) {
        FakeDeviceTree tree;
        BuildTree(tree);
        ReadEverything old(tree);
        zevdev::Library library(before ? static_cast<zevdev::DeviceTree&>(old) : tree, zevdev::ChooseDeviceTree);
        zevdev::EjectAnswer veto;
        veto.configRet = 0x17;  // CR_REMOVE_VETOED
        veto.vetoType = 6;      // PNP_VetoOutstandingOpen
        int attempts = 0;
        for (int attempt = 0; attempt <= refusals; ++attempt) {
            if (attempt < refusals) tree.answers[TOKEN] = veto;
            else tree.answers.clear();
            double start = NowMs();
            RunRemovalAttempt(library, before);
            times.push_back(NowMs() - start);
            ++attempts;
        }
        m.reads = tree.reads.size();
        m.properties = PropertyReads(tree);
        m.attempts = attempts;
    }
    std::sort(times.begin(), times.end());
    m.minMs = times.front();
    m.medianMs = times[times.size() / 2];
    return m;
}

} // namespace

int main()
{
    FakeDeviceTree tree;
    BuildTree(tree);
    size_t usb = 0;
    for (const zevdev::DeviceNode& n : tree.nodes) usb += zevdev::MatchDevicePattern("usb\\*", n.instanceId);
    printf("one removal attempt against %zu devices (%zu of them USB), %d rounds, through the device-tree seam\n",
           tree.nodes.size(), usb, ROUNDS);
    printf("%-36s %8s %8s %12s %12s %12s\n", "", "attempts", "reads", "reads/att.", "props/att.", "ms/att. min");
    printf("%-36s %8s %8s %12s %12s %12s\n", "", "", "", "", "", "(median)");
    for (int refusals : {0, 2}) {
        for (bool before : {true, false}) {
            Measure m = Removal(before, refusals);
            char what[64];
            snprintf(what, sizeof what, "%s, %s", refusals ? "refused twice, then ejected" : "ejected",
                     before ? "before" : "now");
            printf("%-36s %8d %8zu %12.1f %12ld %7.3f (%.3f)\n", what, m.attempts, m.reads,
                   static_cast<double>(m.reads) / m.attempts, m.properties / m.attempts, m.minMs, m.medianMs);
        }
    }
    return 0;
}
