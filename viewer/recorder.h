// The viewer's recording: every chunk of the tuned stream written to one file while it runs.
// The file is held open for writing through the platform layer, so that nobody can delete it
// meanwhile; every chunk goes to the file as it comes (no buffer of our own), so a recording
// that ends in any way, even by a kill, has every chunk received before it ended.
//
// The file only ever holds whole packets. A write that fails (a full disk) cuts the file back
// to its last whole packet and ends the recording there, with a debug line; WriteError tells
// the owner, who keeps the error log.
//
// The planned length (seconds of clock time, counted from the start) can grow and shrink while
// it runs; the recording stops once its time is up, at the first chunk that comes after it, so
// that the stream on air until then is in the file (a chunk may wait a moment in the tuner).
// A Tick stops it only when no chunk has come since the previous Tick (no signal).
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "platform/file_handle.h"

namespace viewer {

class Recorder {
  public:
    // Opens (replaces) the file and starts; plannedSeconds nullopt: until stopped. False when
    // already recording or the file cannot be opened.
    bool Start(const std::wstring& path, std::optional<std::int64_t> plannedSeconds);

    // Tuner thread: writes the chunk's whole packets when recording, then stops when the time
    // is up or the write failed.
    void Write(const std::uint8_t* data, std::size_t size);

    // Adds (or with a negative value removes) seconds to the planned length.
    void Adjust(std::int32_t seconds);

    // Stops when the planned length has been reached and no chunk came since the previous
    // call (with the stream flowing, the next chunk stops it); true when it stopped now.
    bool StopIfDue();
    // Closes the file; false when nothing was recording.
    bool Stop();

    bool IsRecording() const { return recording_.load(); }
    // Planned length in seconds (0 without one), for the status block.
    std::int32_t PlannedSeconds() const { return planned_.load(); }
    std::int64_t ElapsedSeconds() const;
    std::uint64_t Packets() const { return packets_.load(); }
    std::uint64_t ScrambledPackets() const { return scrambled_.load(); }
    // The error of the write that ended the latest recording; 0 when none failed.
    platform::DWORD WriteError() const { return writeError_.load(); }
    std::wstring Path() const;

  private:
    bool DueLocked() const;
    void CloseLocked();
    std::wstring KeepWholePacketsLocked(const std::uint8_t* data, platform::DWORD error);
    void CountLocked(const std::uint8_t* data, std::size_t packets);

    mutable std::mutex mutex_;
    platform::FileHandle file_;
    std::wstring path_;
    bool limited_ = false;
    std::uint64_t startTick_ = 0;
    std::uint64_t bytes_ = 0;  // whole packets in the file
    bool wroteSinceCheck_ = false;  // a chunk came since the last StopIfDue
    std::atomic<bool> recording_{false};
    std::atomic<std::int32_t> planned_{0};
    std::atomic<std::uint64_t> packets_{0};
    std::atomic<std::uint64_t> scrambled_{0};
    std::atomic<platform::DWORD> writeError_{0};
};

}  // namespace viewer
