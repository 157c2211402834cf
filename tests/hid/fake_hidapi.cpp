#include "fake_hidapi.h"

#include <hidapi.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwchar>

struct hid_device_ {
    qx::InstrumentSimulator* sim;
    uint32_t generation;
};

namespace qx::test {

FakeHidapi& Fake() {
    static FakeHidapi fake;
    return fake;
}

}  // namespace qx::test

namespace {

using qx::test::Fake;

wchar_t* WideCopy(const std::wstring& s) {
    auto* out = static_cast<wchar_t*>(std::calloc(s.size() + 1, sizeof(wchar_t)));
    std::wmemcpy(out, s.data(), s.size());
    return out;
}

std::wstring Widen(const std::string& s) {
    std::wstring w;
    for (unsigned char c : s)
        w += static_cast<wchar_t>(c);
    return w;
}

bool Alive(hid_device* dev) {
    return dev && dev->sim->Plugged() && dev->sim->PlugGeneration() == dev->generation;
}

}  // namespace

extern "C" {

int hid_init(void) {
    return 0;
}
int hid_exit(void) {
    return 0;
}

hid_device_info* hid_enumerate(unsigned short vendor_id, unsigned short product_id) {
    if (vendor_id != qx::kInstrumentVendorId || product_id != qx::kInstrumentProductId)
        return nullptr;
    hid_device_info* head = nullptr;
    hid_device_info** tail = &head;
    auto& fake = Fake();
    for (size_t i = 0; i < fake.devices.size(); ++i) {
        qx::InstrumentSimulator* sim = fake.devices[i];
        if (!sim->Plugged()) continue;
        const std::wstring product = i < fake.wideProducts.size() && !fake.wideProducts[i].empty()
                                         ? fake.wideProducts[i]
                                         : Widen(sim->ProductString());
        for (int copy = 0; copy < (fake.duplicateEntries ? 2 : 1); ++copy) {
            auto* info = static_cast<hid_device_info*>(std::calloc(1, sizeof(hid_device_info)));
            info->path = strdup(sim->DevicePath().c_str());
            info->vendor_id = vendor_id;
            info->product_id = product_id;
            info->product_string = WideCopy(product);
            info->usage_page = static_cast<unsigned short>(0xFF00 + copy);
            *tail = info;
            tail = &info->next;
        }
    }
    return head;
}

void hid_free_enumeration(hid_device_info* devs) {
    while (devs) {
        hid_device_info* next = devs->next;
        std::free(devs->path);
        std::free(devs->product_string);
        std::free(devs);
        devs = next;
    }
}

hid_device* hid_open_path(const char* path) {
    for (qx::InstrumentSimulator* sim : Fake().devices) {
        if (sim->DevicePath() != path || !sim->Plugged()) continue;
        if (sim->AccessDenied()) {
            errno = EACCES;
            return nullptr;
        }
        ++Fake().opens;
        sim->OnOpened();
        return new hid_device_{sim, sim->PlugGeneration()};
    }
    errno = ENOENT;
    return nullptr;
}

void hid_close(hid_device* dev) {
    ++Fake().closes;
    delete dev;
}

int hid_get_input_report(hid_device* dev, unsigned char* data, size_t length) {
    if (!Alive(dev) || !dev->sim->ReadReport(std::span(data, length))) return -1;
    return static_cast<int>(length);
}

int hid_write(hid_device* dev, const unsigned char* data, size_t length) {
    if (!Alive(dev) || !dev->sim->WriteReport(std::span(data, length))) return -1;
    return static_cast<int>(length);
}

const wchar_t* hid_error(hid_device*) {
    return L"simulated failure";
}

}  // extern "C"
