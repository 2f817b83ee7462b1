#include "cli/CommandTree.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <string>
#include <vector>

namespace kalvex::cli {

namespace {

struct Node {
    std::string path;
    std::vector<std::string> commands; // the subcommands' names
    std::vector<std::string> options;  // long and short names, as typed
    std::vector<std::string> takesValue;
};

std::string join(const std::vector<std::string>& words) {
    std::string s;
    for (const std::string& w : words)
        s += (s.empty() ? "" : " ") + w;
    return s;
}

void collect(const CLI::App& app, const std::string& path, std::vector<Node>& nodes) {
    Node n{path, {}, {}, {}};
    for (const CLI::Option* o : app.get_options()) {
        if (o->get_positional() || o->get_group().empty()) continue; // arguments, hidden
        std::vector<std::string> names;
        for (const std::string& l : o->get_lnames())
            names.push_back("--" + l);
        for (const std::string& s : o->get_snames())
            names.push_back("-" + s);
        n.options.insert(n.options.end(), names.begin(), names.end());
        if (o->get_expected_max() > 0)
            n.takesValue.insert(n.takesValue.end(), names.begin(), names.end());
    }
    const auto subs = const_cast<CLI::App&>(app).get_subcommands([](CLI::App*) { return true; });
    for (const CLI::App* s : subs)
        n.commands.push_back(s->get_name());
    nodes.push_back(n);
    for (const CLI::App* s : subs)
        collect(*s, path.empty() ? s->get_name() : path + " " + s->get_name(), nodes);
}

std::vector<Node> tree(const CLI::App& app) {
    std::vector<Node> nodes;
    collect(app, "", nodes);
    return nodes;
}

} // namespace

void printCommandTree(const CLI::App& app, std::ostream& out) {
    for (const Node& n : tree(app))
        out << n.path << '\t' << join(n.options) << '\n';
}

void printBashCompletion(const CLI::App& app, std::ostream& out) {
    const std::vector<Node> nodes = tree(app);
    const Node& top = nodes.front();
    std::vector<std::string> valued;
    for (const Node& n : nodes)
        valued.insert(valued.end(), n.takesValue.begin(), n.takesValue.end());
    std::sort(valued.begin(), valued.end());
    valued.erase(std::unique(valued.begin(), valued.end()), valued.end());
    out << "# bash completion for kalvex-cli, generated from its parser (kalvex-cli "
           "--bash-completion)\n"
           "_kalvex_cli() {\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} path= w i\n"
           "    case $prev in\n"
           "    "
        <<
        [&] {
            std::string s;
            for (const std::string& v : valued)
                s += (s.empty() ? "" : "|") + v;
            return s;
        }()
        << ") return ;; # a value: file names (complete -o default)\n"
           "    esac\n"
           "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
           "        w=${COMP_WORDS[i]}\n"
           "        case \"$path/$w\" in\n";
    for (const Node& n : nodes)
        if (!n.path.empty()) {
            std::string key = n.path;
            for (char& c : key)
                if (c == ' ') c = '/';
            out << "        \"/" << key << "\") path=$path/$w ;;\n";
        }
    out << "        esac\n"
           "    done\n"
           "    local words\n"
           "    case $path in\n";
    for (const Node& n : nodes) {
        std::string key = n.path;
        for (char& c : key)
            if (c == ' ') c = '/';
        std::vector<std::string> words = n.commands;
        words.insert(words.end(), n.options.begin(), n.options.end());
        if (!n.path.empty()) words.insert(words.end(), top.options.begin(), top.options.end());
        out << "    \"" << (key.empty() ? "" : "/" + key) << "\") words=\"" << join(words)
            << "\" ;;\n";
    }
    out << "    esac\n"
           "    mapfile -t COMPREPLY < <(compgen -W \"$words\" -- \"$cur\")\n"
           "}\n"
           "complete -o default -F _kalvex_cli kalvex-cli\n";
}

} // namespace kalvex::cli
