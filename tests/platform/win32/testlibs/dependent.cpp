// A library that uses the probe library's export without exporting it.
extern "C" int ProbeAnswer();
extern "C" int DependentAnswer() { return ProbeAnswer() + 1; }
