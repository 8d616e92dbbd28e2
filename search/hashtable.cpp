// Placeholder until this subsystem lands.
#include "search/hashtable.h"
HashBucket hashTable[HASH_BUCKETS];
uint16_t hashStamp = 1;
void ClearHashTable() {}
HashEntry* ProbeHash() { return nullptr; }
void StoreHash(int, uint32_t, int, Move) {}
