// Frees one heap block twice and exits 0: the Wine test runner must still
// fail this run, or heap damage in the real tests would go unseen.
#include <windows.h>

int main() {
    const HANDLE heap = ::GetProcessHeap();
    void* block = ::HeapAlloc(heap, 0, 64);
    ::HeapFree(heap, 0, block);
    ::HeapFree(heap, 0, block);
    return 0;
}
