#pragma once

// A recording is a flat run of 16-byte records without a header: the settings record (the
// first 16 bytes of SettingsImage) at offset 0, then one record per valid live answer (data
// bytes 0..15 of RxBuffer). Appending recordings to one file adds live records only.
namespace MeasurementRecord {
constexpr int Size = 16;
} // namespace MeasurementRecord
