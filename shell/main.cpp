// Placeholder until this subsystem lands.
int main() { return 0; }
