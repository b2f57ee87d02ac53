#pragma once
// The settings "Create" changes for the reference stack and puts back afterwards: the stacking
// options' part and the alignment's part (the method and the multi-point mode).

namespace kestrave {

struct CreateStackSettings {
    double ResampleSpin = 2.0;
    bool Drizzling = false;
    bool Histostretch = false;
    bool Expandstack = false;
    bool Multi = false;
};
struct CreateAlignSettings {
    int AlignMethodIndex = 0;
    bool MultiPointMode = false;
};
struct CreateReferenceSettings : CreateStackSettings, CreateAlignSettings {};

}  // namespace kestrave
