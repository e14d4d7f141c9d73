// Entry points of the output and input devices.
#include <algorithm>
#include <cstring>
#include <vector>

#include "DeviceCatalog.h"
#include "InputDevice.h"
#include "JackPortInput.h"
#include "JackPortOutput.h"
#include "MidiMessage.h"
#include "PortInput.h"
#include "PortOutput.h"
#include "Sealed.h"
#include "SynthOutput.h"
#include "VxMidi.h"

using vx::existing;
using vx::registerWith;
using vx::Registry;
using vx::sealed;
using vx::sealedOpen;

namespace {

// The last device lists looked up; numbering follows the last GetNum*Devices call.
std::vector<vx::DeviceInfo> &outputList() {
  static std::vector<vx::DeviceInfo> list;
  return list;
}

std::vector<vx::DeviceInfo> &inputList() {
  static std::vector<vx::DeviceInfo> list;
  return list;
}

void copyDescription(const std::vector<vx::DeviceInfo> &list, uint32_t device, char *description) {
  if (!description) return;
  description[0] = '\0';
  if (device >= list.size()) return;
  const std::string &text = list[device].description;
  const std::size_t n = std::min(text.size(), std::size_t{VX_DESCRIPTION_SIZE - 1});
  std::memcpy(description, text.data(), n);
  description[n] = '\0';
}

}  // namespace

extern "C" {

VX_API uint16_t GetVxMidiVersion(void) {
  return VX_VERSION;
}

VX_API uint32_t GetNumOutDevices(void) {
  return sealed(0u, [] {
    outputList() = vx::DeviceCatalog::outputs();
    return static_cast<uint32_t>(outputList().size());
  });
}

VX_API void GetMidiOutDescription(uint32_t device, char *description) {
  sealed([&] {
    if (outputList().empty()) outputList() = vx::DeviceCatalog::outputs();
    copyDescription(outputList(), device, description);
  });
}

VX_API uint32_t OpenMidiOut(const VxNotifySink *sink, uint16_t device, uint32_t sync, uint32_t) {
  return sealedOpen([&]() -> uint32_t {
    // Outputs paced by a timer are not provided: only immediate outputs open.
    if (sync != 0) return VX_OPEN_FAILED;
    if (outputList().empty()) outputList() = vx::DeviceCatalog::outputs();
    if (device >= outputList().size()) return VX_OPEN_NO_DEVICE;
    const vx::DeviceInfo &info = outputList()[device];
    auto notifier = std::make_unique<vx::Notifier>(sink);
    vx::Notifier *announcer = notifier.get();
    std::unique_ptr<vx::OutputDevice> output;
    if (info.kind == vx::DeviceInfo::Kind::Synth)
      output = std::make_unique<vx::SynthOutput>(info.soundfont, std::move(notifier));
    else if (info.api == vx::DeviceInfo::jackApi)
      output = std::make_unique<vx::JackPortOutput>(info, std::move(notifier));
    else
      output = std::make_unique<vx::PortOutput>(info);
    return registerWith(std::move(output), announcer);
  });
}

VX_API void ResetMidiOut(uint32_t handle) {
  sealed([&] { existing<vx::OutputDevice>(handle).reset(); });
}

VX_API void FlushMidiOut(uint32_t handle) {
  sealed([&] { existing<vx::OutputDevice>(handle).flush(); });
}

// An input that plays on the output is let go first: it keeps its judging and plays nowhere
// until it is given another output.
VX_API void CloseMidiOut(uint32_t handle) {
  sealed([&] {
    auto *output = Registry::instance().find<vx::OutputDevice>(handle);
    if (!output) return;
    Registry::instance().forEach<vx::InputDevice>([&](vx::InputDevice &input) {
      if (input.playsOn(output)) input.setThru(input.thru(), nullptr);
    });
    auto object = Registry::instance().remove(handle);
    output->reset();
  });
}

namespace {

uint16_t putEvent(uint32_t handle, const VxMidiEvent *event, int64_t dueNs) {
  auto &output = existing<vx::OutputDevice>(handle);
  if (!event) return VX_REFUSED;
  const uint8_t bytes[3] = {event->status, event->data1, event->data2};
  const std::size_t length = vx::shortMessageLength(event->status);
  // What is no short message (a tempo record, system exclusive) is taken and not sent,
  // so a stream of records never stalls on one.
  if (length > 0 && !output.put(bytes, length, dueNs > 0 ? dueNs : 0)) return VX_NO_ROOM;
  return VX_OK;
}

}  // namespace

VX_API uint16_t PutMidiOut(uint32_t handle, const VxMidiEvent *event) {
  return sealed(uint16_t{VX_REFUSED}, [&] { return putEvent(handle, event, 0); });
}

VX_API uint16_t VxPutMidiOutAt(uint32_t handle, const VxMidiEvent *event, int64_t dueNs) {
  return sealed(uint16_t{VX_REFUSED}, [&] { return putEvent(handle, event, dueNs); });
}

VX_API uint32_t VxGetMidiOutLate(uint32_t handle) {
  return sealed(
      0u, [&] { return static_cast<uint32_t>(existing<vx::OutputDevice>(handle).lateMessages()); });
}

VX_API uint32_t VxGetMidiOutDelay(uint32_t handle) {
  return sealed(0u, [&] {
    const int64_t ns = existing<vx::OutputDevice>(handle).stampDelayNs();
    return static_cast<uint32_t>(std::clamp<int64_t>(ns, 0, UINT32_MAX));
  });
}

VX_API uint32_t GetNumInDevices(void) {
  return sealed(0u, [] {
    inputList() = vx::DeviceCatalog::inputs();
    return static_cast<uint32_t>(inputList().size());
  });
}

VX_API void GetMidiInDescription(uint32_t device, char *description) {
  sealed([&] {
    if (inputList().empty()) inputList() = vx::DeviceCatalog::inputs();
    copyDescription(inputList(), device, description);
  });
}

VX_API uint32_t OpenMidiIn(const VxNotifySink *sink, uint16_t device, uint32_t sync, uint32_t) {
  return sealedOpen([&]() -> uint32_t {
    if (sync != 0) return VX_OPEN_FAILED;
    if (inputList().empty()) inputList() = vx::DeviceCatalog::inputs();
    if (device >= inputList().size()) return VX_OPEN_NO_DEVICE;
    const vx::DeviceInfo &info = inputList()[device];
    auto notifier = std::make_unique<vx::Notifier>(sink);
    vx::Notifier *announcer = notifier.get();
    std::unique_ptr<vx::InputDevice> input;
    if (info.api == vx::DeviceInfo::jackApi)
      input = std::make_unique<vx::JackPortInput>(info, std::move(notifier));
    else
      input = std::make_unique<vx::PortInput>(info, std::move(notifier));
    return registerWith(std::move(input), announcer);
  });
}

VX_API void StartMidiIn(uint32_t handle) {
  sealed([&] { existing<vx::InputDevice>(handle).start(); });
}

VX_API void StopMidiIn(uint32_t handle) {
  sealed([&] { existing<vx::InputDevice>(handle).stop(); });
}

VX_API void CloseMidiIn(uint32_t handle) {
  sealed([&] {
    if (Registry::instance().find<vx::InputDevice>(handle)) Registry::instance().remove(handle);
  });
}

VX_API const VxMidiEvent *GetMidiIn(uint32_t handle) {
  return sealed(static_cast<const VxMidiEvent *>(nullptr),
                [&] { return existing<vx::InputDevice>(handle).next(); });
}

VX_API uint16_t VxSetMidiInThru(uint32_t inputHandle, uint32_t outputHandle,
                                const VxMidiThru *thru) {
  return sealed(uint16_t{VX_REFUSED}, [&]() -> uint16_t {
    auto *input = Registry::instance().find<vx::InputDevice>(inputHandle);
    if (!input) return VX_REFUSED;
    vx::OutputDevice *output = nullptr;
    if (outputHandle != 0 && thru) {
      output = Registry::instance().find<vx::OutputDevice>(outputHandle);
      if (!output || !output->takesHits()) return VX_REFUSED;
      bool taken = false;
      Registry::instance().forEach<vx::InputDevice>([&](vx::InputDevice &other) {
        if (&other != input && other.playsOn(output)) taken = true;
      });
      if (taken) return VX_REFUSED;
    }
    input->setThru(thru, output);
    return VX_OK;
  });
}

VX_API int64_t VxGetMidiInNs(uint32_t handle) {
  return sealed(int64_t{0}, [&] {
    auto *input = Registry::instance().find<vx::InputDevice>(handle);
    return input ? input->lastNs() : int64_t{0};
  });
}

VX_API void VxGetMidiInName(uint32_t device, char *name, uint32_t size) {
  sealed([&] {
    if (!name || size == 0) return;
    name[0] = '\0';
    if (inputList().empty()) inputList() = vx::DeviceCatalog::inputs();
    if (device >= inputList().size()) return;
    const std::string text = vx::DeviceCatalog::stableName(inputList()[device]);
    std::size_t n = std::min<std::size_t>(text.size(), size - 1);
    while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    std::memcpy(name, text.data(), n);
    name[n] = '\0';
  });
}

}  // extern "C"
