#!/usr/bin/env bash
# Makes, once, a git work tree of an unpacked source tree for timing --gitignore,
# and prints its path: the tree committed whole (objects packed, as a clone has
# them), plus an untracked build folder of sources and an ignored one.
#
# Usage: bench/git_work_tree.sh SOURCE_TREE CACHE_DIR
set -euo pipefail
source_tree=$1
cache=$2
tree="$cache/$(basename "$source_tree")-git"
if [[ ! -e $tree/.git/pindrel-bench-done ]]; then
    echo "Making a git work tree of $source_tree in $tree ..." >&2
    rm -rf "$tree"
    # Hard links: the files' bytes are shared with the source tree, and git only reads them.
    cp -al "$source_tree" "$tree"
    (
        cd "$tree"
        export GIT_CONFIG_NOSYSTEM=1 GIT_CONFIG_GLOBAL=/dev/null
        git init -q
        # A new file, not the linked one: the source tree stays as it was. Debian's tree ignores
        # everything at its top (its packaging is kept elsewhere); the upstream rules are kept.
        { grep -vx -e '/\*' -e '!/debian/' .gitignore; printf '/build-ignored/\n'; } >.gitignore.new
        mv .gitignore.new .gitignore
        git add -A
        git -c gc.auto=0 -c user.name=bench -c user.email=bench@localhost commit -qm "the whole tree"
        # No delta search: packing is what a clone has on disk, the compression makes no difference to a walk.
        git -c pack.window=0 repack -adq
        git prune-packed
        # As a build leaves them: build/ untracked and counted either way, build-ignored/ left out by --gitignore.
        mkdir build build-ignored
        cp -al kernel build/kernel
        cp -al lib build-ignored/lib
        touch .git/pindrel-bench-done
    )
fi
echo "$tree"
