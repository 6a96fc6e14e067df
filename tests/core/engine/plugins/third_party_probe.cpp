// A library that a test plug-in links against, found in the installation's
// 3rd directory at run time.
extern "C" const char* ThirdPartyProbe() { return "answered from 3rd"; }
