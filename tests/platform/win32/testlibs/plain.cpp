// A library with no C exports the tests look for.
namespace plain {
int Unused() { return 7; }
}  // namespace plain
