// The mouse pad's device object (kind 3): its page ("OrvaneMousePadDevice"), command channel,
// cable notification thread, and the mirror of its lighting block (21 bytes), with a copy of
// the mirror as it was before the last read. The pad's only setting is its lighting.
//
// Threads: exchanges run on the device's worker; the model is guarded by one lock.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "devices/base/orvane_usb_device.h"
#include "profiles/basic_profiledata.h"

namespace qx::devices {

inline constexpr size_t kPadBlockSize = 21;
inline constexpr size_t kPadReadSize = 26;
inline constexpr size_t kPadReadStride = 25;   // profile n is read at n * 25
inline constexpr size_t kPadWriteStride = 64;  // and written at p * 64 (the host writes p = 0)
inline constexpr int kPadDeviceEffects = 9;    // effect ids 9 and above are sent as effect 0

using PadBlock = std::array<uint8_t, kPadBlockSize>;

// The 21 bytes written from the mirror: the effect's mode code in byte 1 and 4 - speed in
// byte 3; the other bytes as the mirror holds them.
PadBlock BuildPadBlock(const PadBlock& mirror, std::span<const int> effectCodes);
// The mirror form of a block read (byte 0 = the profile number): the effect id for the mode
// code (an unknown code as it is) and the speed level for byte 3.
PadBlock MirrorFromRead(std::span<const uint8_t> read, uint8_t profile,
                        std::span<const int> effectCodes);

class COrvaneMousePadDevice : public COrvaneUSBDevice, public ProfileCapability {
    Q_OBJECT
  public:
    explicit COrvaneMousePadDevice(HidBackend& backend);
    ~COrvaneMousePadDevice() override;

    void AttachPanel() override;
    void RefreshPanel() override;

    // --- exchanges (worker)
    void FirstContact() override;
    void RefreshFromDevice() override;
    // Reads the power record whenever the channel is open (no presence gate).
    void PowerQuery() override;
    int ApplyLighting() override;
    void StoreLightSettings(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3) override;
    // The mirror's lighting at profile p × 64, framed by begin and end of configuration. The
    // first failing step's result, else 1.
    Result WriteSystemBlock(int profile);
    // What the lighting panel's change writes: the block of profile 0.
    Result WriteLightingBlock() override { return WriteSystemBlock(0); }

    ProfileCapability* Profiles() override { return this; }
    void SetProfilePaths() override;
    int LoadProfile() override;
    void SaveProfile() override;
    void ReloadProfile() override;
    QString GetProfileName() const override;
    void ReloadPanelLists() override;

    // --- the model (any thread)
    PadBlock Mirror() const;
    PadBlock MirrorBefore() const;
    // Whether the block was read from the pad since it was set up.
    bool MirrorRead() const;
    int CurrentProfile() const { return profile_.load(); }
    bool ProfileLoaded() const;
    std::filesystem::path ProfilePath() const;
    LightInfoRecord LightInfo() const;

  protected:
    std::unique_ptr<lighting::LightingEngine> CreateLighting(int ledCount) const override;
    void OnNotificationCode(uint16_t code, bool receiver) override;
    std::string NotificationExitLine() const override;

  private:
    Result GateResult();
    // Reads the pad's block into the mirror (worker). False when it was not read.
    bool ReadMirror();
    void ApplyLightLocked();
    // Hands the lighting engine what the picture previews.
    void FeedPreviewLocked();

    std::atomic<int> profile_{0};
    mutable std::recursive_mutex model_;
    CBasicProfiledata profileData_;
    bool loaded_ = false;
    LightInfoRecord lightInfo_;
    std::vector<int> effectCodes_;
    PadBlock mirror_{};
    PadBlock before_{};
    bool mirrorRead_ = false;
};

}  // namespace qx::devices
