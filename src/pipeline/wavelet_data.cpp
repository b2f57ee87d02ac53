#include "pipeline/wavelet_data.h"

namespace kestrave {

WaveletData::WaveletData()
    : GammaTable(std::make_unique<GammaTableArray>()), toneTables(std::make_unique<ToneTables>()) {
    BuildGammaTable(*GammaTable, 1.0f);
    BuildToneCurve(toneTables->ToneCurve, StartupToneBias, StartupToneScale, false);
}

}  // namespace kestrave
