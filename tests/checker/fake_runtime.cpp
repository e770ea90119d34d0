// Stands in for the media runtime in the module probe tests.
extern "C" int KolvexFakeRuntimeMarker() { return 42; }
