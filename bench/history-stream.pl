# Writes a git fast-import stream of a history over a tree: the files listed
# (NUL-separated, relative to the tree) committed in 40 steps in path order, a
# week apart, then 200 daily commits that each append a line to 3 of them.
# Dates are fixed, so every build gives the same commits.
use strict;
use warnings;

my ($tree, $list) = @ARGV;
open(my $in, "<", $list) or die "$list: $!";
my @files = do { local $/ = "\0"; map { chomp; $_ } <$in> };
close $in;
@files = sort @files;
my $n = @files;
my $steps = 40;
my $perStep = int(($n + $steps - 1) / $steps);
my $time = 1600000000;
my $mark = 0;
binmode STDOUT;

sub commit {
    my ($when, $message) = @_;
    ++$mark;
    print "commit refs/heads/main\nmark :$mark\ncommitter Bench <bench\@example.org> $when +0000\n";
    print "data ", length($message), "\n$message\n";
    print "from :", $mark - 1, "\n" if $mark > 1;
}

sub file {
    my ($path, $content) = @_;
    print "M 100644 inline $path\ndata ", length($content), "\n", $content, "\n";
}

sub slurp {
    my ($path) = @_;
    open(my $f, "<:raw", "$tree/$path") or die "$path: $!";
    local $/;
    my $content = <$f>;
    return defined $content ? $content : "";
}

for my $step (0 .. $steps - 1) {
    commit($time += 7 * 86400, "step $step");
    for my $i ($step * $perStep .. ($step + 1) * $perStep - 1) {
        last if $i >= $n;
        file($files[$i], slurp($files[$i]));
    }
}
my %appended;
for my $k (1 .. 200) {
    commit($time += 86400, "small change $k");
    for my $j (0 .. 2) {
        my $path = $files[($k * 7919 + $j * 104729) % $n];
        $appended{$path} .= "// change $k.$j\n";
        file($path, slurp($path) . $appended{$path});
    }
}
