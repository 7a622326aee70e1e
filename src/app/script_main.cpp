// klevaria-script: runs the game on the headless platform from a script.
int main() { return 0; }
