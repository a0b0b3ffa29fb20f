// A fake USB headset card for the ALSA mixer tests: an alsa-lib external control plugin (type
// "qx580fake") with the controls a USB headset's driver offers (headphone volume and switch, the
// microphone's capture volume and switch, and its playback, the side-tone). The values live in
// this library, which the test program links, so the test reads what the mixer code wrote.
// Configuration: `monitor false` leaves the side-tone out (a card without a monitor path).
#include <alsa/asoundlib.h>
#include <alsa/control_external.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "fake_ctl_plugin.h"

namespace {

struct Control {
    const char* name;
    bool isSwitch;
    bool monitor;  // part of the side-tone
    unsigned channels;
    long min, max;
    int dbMin, dbStep;  // hundredths of a dB
    std::vector<long> values;
};

std::mutex& Lock() {
    static std::mutex mutex;
    return mutex;
}

std::vector<Control> Defaults() {
    return {
        {"Headphone Playback Switch", true, false, 2, 0, 1, 0, 0, {1, 1}},
        {"Headphone Playback Volume", false, false, 2, 0, 37, -3700, 100, {20, 30}},
        {"Mic Playback Switch", true, true, 1, 0, 1, 0, 0, {0}},
        {"Mic Playback Volume", false, true, 1, 0, 31, -3450, 150, {10}},
        {"Mic Capture Switch", true, false, 1, 0, 1, 0, 0, {1}},
        {"Mic Capture Volume", false, false, 1, 0, 23, -1200, 200, {8}},
    };
}

std::vector<Control>& Controls() {
    static std::vector<Control> controls = Defaults();
    return controls;
}

bool& Present() {
    static bool present = true;
    return present;
}

int& Opens() {
    static int opens = 0;
    return opens;
}

struct Card {
    snd_ctl_ext_t ext{};
    std::vector<size_t> shown;  // indexes into Controls() this handle offers
};

Card* CardOf(snd_ctl_ext_t* ext) { return static_cast<Card*>(ext->private_data); }

Control* ControlOf(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key) {
    Card* card = CardOf(ext);
    if (key >= card->shown.size()) return nullptr;
    return &Controls()[card->shown[key]];
}

void Close(snd_ctl_ext_t* ext) { delete CardOf(ext); }

int ElemCount(snd_ctl_ext_t* ext) { return static_cast<int>(CardOf(ext)->shown.size()); }

int ElemList(snd_ctl_ext_t* ext, unsigned int offset, snd_ctl_elem_id_t* id) {
    std::lock_guard lock(Lock());
    Control* c = ControlOf(ext, offset);
    if (c == nullptr) return -EINVAL;
    snd_ctl_elem_id_set_interface(id, SND_CTL_ELEM_IFACE_MIXER);
    snd_ctl_elem_id_set_name(id, c->name);
    return 0;
}

snd_ctl_ext_key_t FindElem(snd_ctl_ext_t* ext, const snd_ctl_elem_id_t* id) {
    std::lock_guard lock(Lock());
    const char* name = snd_ctl_elem_id_get_name(id);
    const Card* card = CardOf(ext);
    for (size_t i = 0; i < card->shown.size(); ++i)
        if (std::strcmp(Controls()[card->shown[i]].name, name) == 0) return i;
    return SND_CTL_EXT_KEY_NOT_FOUND;
}

int GetAttribute(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, int* type, unsigned int* acc,
                 unsigned int* count) {
    std::lock_guard lock(Lock());
    Control* c = ControlOf(ext, key);
    if (c == nullptr) return -EINVAL;
    *type = c->isSwitch ? SND_CTL_ELEM_TYPE_BOOLEAN : SND_CTL_ELEM_TYPE_INTEGER;
    *acc = SND_CTL_EXT_ACCESS_READWRITE;
    if (!c->isSwitch) *acc |= SND_CTL_EXT_ACCESS_TLV_READ | SND_CTL_EXT_ACCESS_TLV_CALLBACK;
    *count = c->channels;
    return 0;
}

int GetIntegerInfo(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* imin, long* imax, long* istep) {
    std::lock_guard lock(Lock());
    Control* c = ControlOf(ext, key);
    if (c == nullptr) return -EINVAL;
    *imin = c->min;
    *imax = c->max;
    *istep = 1;
    return 0;
}

int ReadInteger(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* value) {
    std::lock_guard lock(Lock());
    if (!Present()) return -ENODEV;
    Control* c = ControlOf(ext, key);
    if (c == nullptr) return -EINVAL;
    for (unsigned i = 0; i < c->channels; ++i) value[i] = c->values[i];
    return 0;
}

int WriteInteger(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* value) {
    std::lock_guard lock(Lock());
    if (!Present()) return -ENODEV;
    Control* c = ControlOf(ext, key);
    if (c == nullptr) return -EINVAL;
    bool changed = false;
    for (unsigned i = 0; i < c->channels; ++i) {
        if (value[i] < c->min || value[i] > c->max) return -EINVAL;
        changed = changed || c->values[i] != value[i];
        c->values[i] = value[i];
    }
    return changed ? 1 : 0;
}

int ReadEvent(snd_ctl_ext_t*, snd_ctl_elem_id_t*, unsigned int*) { return -EAGAIN; }

// A dB scale: type 1 (DB_SCALE), 8 bytes: the minimum and the step in hundredths of a dB.
int Tlv(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, int op_flag, unsigned int, unsigned int* tlv,
        unsigned int tlv_size) {
    std::lock_guard lock(Lock());
    Control* c = ControlOf(ext, key);
    if (c == nullptr || c->isSwitch || op_flag != 0) return -ENXIO;
    if (tlv_size < 4 * sizeof(unsigned int)) return -ENOMEM;
    tlv[0] = SND_CTL_TLVT_DB_SCALE;
    tlv[1] = 2 * sizeof(unsigned int);
    tlv[2] = static_cast<unsigned int>(c->dbMin);
    tlv[3] = static_cast<unsigned int>(c->dbStep);
    return 0;
}

const snd_ctl_ext_callback_t kCallbacks = [] {
    snd_ctl_ext_callback_t cb{};
    cb.close = Close;
    cb.elem_count = ElemCount;
    cb.elem_list = ElemList;
    cb.find_elem = FindElem;
    cb.get_attribute = GetAttribute;
    cb.get_integer_info = GetIntegerInfo;
    cb.read_integer = ReadInteger;
    cb.write_integer = WriteInteger;
    cb.read_event = ReadEvent;
    return cb;
}();

}  // namespace

extern "C" {

SND_CTL_PLUGIN_DEFINE_FUNC(qx580fake) {
    (void)root;
    bool monitor = true;
    snd_config_iterator_t i, next;
    snd_config_for_each(i, next, conf) {
        snd_config_t* n = snd_config_iterator_entry(i);
        const char* id = nullptr;
        if (snd_config_get_id(n, &id) < 0) continue;
        const std::string key = id;
        if (key == "comment" || key == "type" || key == "hint") continue;
        if (key == "monitor") {
            const int on = snd_config_get_bool(n);
            if (on < 0) return -EINVAL;
            monitor = on != 0;
            continue;
        }
        SNDERR("qx580fake: unknown field %s", id);
        return -EINVAL;
    }
    std::lock_guard lock(Lock());
    if (!Present()) return -ENODEV;
    auto* card = new Card;
    for (size_t c = 0; c < Controls().size(); ++c)
        if (monitor || !Controls()[c].monitor) card->shown.push_back(c);
    snd_ctl_ext_t& ext = card->ext;
    ext.version = SND_CTL_EXT_VERSION;
    ext.card_idx = 0;
    std::strncpy(ext.id, "QX580", sizeof ext.id - 1);
    std::strncpy(ext.driver, "USB-Audio", sizeof ext.driver - 1);
    std::strncpy(ext.name, "QX-580 headset", sizeof ext.name - 1);
    std::strncpy(ext.longname, "QX-580 headset (fake card)", sizeof ext.longname - 1);
    std::strncpy(ext.mixername, "USB Mixer", sizeof ext.mixername - 1);
    ext.poll_fd = -1;
    ext.callback = &kCallbacks;
    ext.private_data = card;
    ext.tlv.c = Tlv;
    const int err = snd_ctl_ext_create(&ext, name, mode);
    if (err < 0) {
        delete card;
        return err;
    }
    ++Opens();
    *handlep = ext.handle;
    return 0;
}

SND_CTL_PLUGIN_SYMBOL(qx580fake)

long qx580_fake_ctl_value(const char* control, unsigned channel) {
    std::lock_guard lock(Lock());
    for (const Control& c : Controls())
        if (std::strcmp(c.name, control) == 0 && channel < c.channels) return c.values[channel];
    return -1000;
}

void qx580_fake_ctl_reset() {
    std::lock_guard lock(Lock());
    Controls() = Defaults();
    Present() = true;
    Opens() = 0;
}

void qx580_fake_ctl_set_present(int present) {
    std::lock_guard lock(Lock());
    Present() = present != 0;
    // A card that comes back starts from its driver's values.
    if (!Present()) Controls() = Defaults();
}

int qx580_fake_ctl_opens() {
    std::lock_guard lock(Lock());
    return Opens();
}

}  // extern "C"
