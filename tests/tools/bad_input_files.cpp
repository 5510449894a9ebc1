// Writes the data file of every row of the bad-input table to a folder, one
// file per row and program, so that two builds of the programs can be run
// over them and compared (tools/compare_programs.py). The rows are compiled
// from the test itself, so the files are always those the test runs.

#include "../bad_input_test.cpp"

#include <fstream>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: bad_input_files FOLDER\n";
        return 2;
    }
    const fs::path folder = argv[1];
    fs::create_directories(folder);
    int written = 0;
    for (const Program program : {Program::Quenfit, Program::Monofit}) {
        const std::vector<Row> rows = program == Program::Quenfit ? quenfitRows() : monofitRows();
        for (const Row& row : rows) {
            if (!row.data) continue;
            std::string name = program == Program::Quenfit ? "quenfit_" : "monofit_";
            for (const char* c = row.name; *c; ++c) {
                name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
            }
            std::ofstream(folder / (name + ".dat"), std::ios::binary) << *row.data;
            ++written;
        }
    }
    std::cout << written << " data files in " << folder.string() << "\n";
    return 0;
}
