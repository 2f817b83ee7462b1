#include "DataFixture.h"

namespace kalvex::test {

// After the attention byte 0xFF, mode 1 reads (address high, low) and mode 2 writes
// (address high, low, data). 0xFF where an address starts is attention: no address in these
// tests reaches 0xFF00.
std::vector<int> bytesOfItems(const SetupData& d, const std::vector<int>& items) {
    std::vector<int> bytes;
    for (const int i : items) {
        const ParsedAddress p = parseAddress(d.Address[size_t(i)]);
        const int n = p.bitMode ? 1 : p.byteCount();
        for (int k = 0; k < n; ++k)
            bytes.push_back(int(p.byteAddress) + k);
    }
    return bytes;
}

} // namespace kalvex::test
