# Derives deb-src entries (deb822) from apt's own source entries, one-line
# (.list) or deb822 (.sources): one stanza per distinct URI and suite, keeping
# each entry's Signed-By (a key file or an inline key), so that a private apt
# configuration can fetch source packages from the repositories the system
# already trusts. Entries that are disabled (Enabled: no) are left out.
#
#   awk -f tools/apt-source-entries.awk FILE...

function Trim(s) {
    sub(/^[ \t]+/, "", s)
    sub(/[ \t]+$/, "", s)
    return s
}

# One stanza per URI and suite; the first entry to name them wins.
function Emit(uri, suite, components, signed_by) {
    sub(/\/+$/, "", uri)
    if (uri == "" || suite == "" || (uri SUBSEP suite) in seen) return
    seen[uri, suite] = 1
    printf "Types: deb-src\nURIs: %s\nSuites: %s\n", uri, suite
    # A flat repository (a suite ending in /) has no components.
    if (suite !~ /\/$/ && components != "") printf "Components: %s\n", components
    if (signed_by != "") printf "Signed-By: %s\n", signed_by
    printf "\n"
}

function EmitStanza(   types, uris, suites, n_uris, n_suites, i, j, u, s) {
    if (!("types" in field) || tolower(Trim(field["enabled"])) == "no") {
        delete field
        return
    }
    types = " " field["types"] " "
    if (types ~ /[ \t]deb[ \t]/ || types ~ /[ \t]deb-src[ \t]/) {
        n_uris = split(Trim(field["uris"]), u, /[ \t\n]+/)
        n_suites = split(Trim(field["suites"]), s, /[ \t\n]+/)
        for (i = 1; i <= n_uris; i++)
            for (j = 1; j <= n_suites; j++)
                Emit(u[i], s[j], Trim(field["components"]), field["signed-by"])
    }
    delete field
}

FNR == 1 {
    if (deb822) EmitStanza()
    deb822 = FILENAME ~ /\.sources$/
    last = ""
}

# deb822: "Field: value", continuation lines start with a blank, stanzas end
# at an empty line.
deb822 && /^#/ { next }
deb822 && /^[ \t]*$/ { EmitStanza(); last = ""; next }
deb822 && /^[ \t]/ {
    if (last != "") field[last] = field[last] "\n" $0
    next
}
deb822 {
    colon = index($0, ":")
    if (colon == 0) next
    last = tolower(Trim(substr($0, 1, colon - 1)))
    field[last] = Trim(substr($0, colon + 1))
    next
}

# One-line: "deb [opt=value ...] URI SUITE [COMPONENT...]".
{
    line = $0
    sub(/#.*/, "", line)
    line = Trim(line)
    if (line !~ /^deb(-src)?[ \t]/) next
    sub(/^deb(-src)?[ \t]+/, "", line)
    signed_by = ""
    if (substr(line, 1, 1) == "[") {
        close_at = index(line, "]")
        if (close_at == 0) next
        n = split(substr(line, 2, close_at - 2), options, /[ \t]+/)
        for (i = 1; i <= n; i++)
            if (tolower(options[i]) ~ /^signed-by=/) signed_by = substr(options[i], 11)
        line = Trim(substr(line, close_at + 1))
    }
    n = split(line, words, /[ \t]+/)
    if (n < 2) next
    components = ""
    for (i = 3; i <= n; i++) components = components (i > 3 ? " " : "") words[i]
    Emit(words[1], words[2], components, signed_by)
}

END { if (deb822) EmitStanza() }
