// Fixed texts of objdump and llvm-mca, as they print them, for the tests of what reads them.
#pragma once

// g++ 12's gcd_binary_u: the loop runs from 1268 to the backward jne at 12a8, with three
// exits inside it and code before it that jumps into its middle.
constexpr const char* BINARY_U = R"(
bench/bench_binary_u:     file format elf64-x86-64

Disassembly of section .text:

0000000000001230 <_Z12gcd_binary_ujj>:
    1230:	mov    %edi,%eax
    1234:	je     12b8 <_Z12gcd_binary_ujj+0x88>
    1245:	tzcnt  %edi,%eax
    1261:	jne    12a5 <_Z12gcd_binary_ujj+0x75>
    1263:	jmp    12aa <_Z12gcd_binary_ujj+0x7a>
    1265:	nopl   (%rax)
    1268:	cmp    %esi,%edi
    126a:	je     12c0 <_Z12gcd_binary_ujj+0x90>
    127c:	cmovbe %edi,%esi
    1296:	shr    %cl,%esi
    12a3:	je     12aa <_Z12gcd_binary_ujj+0x7a>
    12a5:	cmp    $0x1,%esi
    12a8:	jne    1268 <_Z12gcd_binary_ujj+0x38>
    12aa:	mov    %r9d,%ecx
    12b4:	ret
    12c0:	mov    %esi,%eax
    12c7:	ret
)";

// g++ 12's gcd_euclid_u: the loop of six instructions that MCA_EUCLID models.
constexpr const char* EUCLID_U = R"(
bench/bench_euclid_u:     file format elf64-x86-64

Disassembly of section .text:

0000000000001230 <_Z12gcd_euclid_ujj>:
    1230:	mov    %edi,%eax
    1232:	test   %esi,%esi
    1234:	je     1250 <_Z12gcd_euclid_ujj+0x20>
    1240:	mov    %edx,%ecx
    1242:	xor    %edx,%edx
    1244:	div    %ecx
    1246:	mov    %ecx,%eax
    1248:	test   %edx,%edx
    124a:	jne    1240 <_Z12gcd_euclid_ujj+0x10>
    1250:	ret
)";

// llvm-mca -mcpu=znver3 -bottleneck-analysis on g++ 12's gcd_euclid_u loop, as it prints it.
constexpr const char* MCA_EUCLID = R"(Iterations:        100
Instructions:      600
Total Cycles:      1305
Total uOps:        700

Dispatch Width:    6
uOps Per Cycle:    0.54
IPC:               0.46
Block RThroughput: 13.0


Cycles with backend pressure increase [ 67.66% ]
Throughput Bottlenecks: 
  Resource Pressure       [ 67.59% ]
  - Zn3ALU0  [ 67.59% ]
  - Zn3ALU1  [ 0.00% ]
  Data Dependencies:      [ 67.66% ]
  - Register Dependencies [ 67.66% ]
  - Memory Dependencies   [ 0.00% ]

Critical sequence based on the simulation:

              Instruction                                 Dependency Information
        0.    movl	%edx, %ecx
        1.    xorl	%edx, %edx
 +----< 2.    divl	%ecx
 |      3.    movl	%ecx, %eax
 +----> 4.    testl	%edx, %edx                        ## REGISTER dependency:  %edx
 +----> 5.    jne	.Lloop                            ## REGISTER dependency:  %flags


Instruction Info:
[1]: #uOps
[2]: Latency
[3]: RThroughput
[4]: MayLoad
[5]: MayStore
[6]: HasSideEffects (U)

[1]    [2]    [3]    [4]    [5]    [6]    Instructions:
 1      0     0.17                        movl	%edx, %ecx
 1      0     0.17                        xorl	%edx, %edx
 2      13    13.00                 U     divl	%ecx
 1      0     0.17                        movl	%ecx, %eax
 1      1     0.25                        testl	%edx, %edx
 1      1     0.50                        jne	.Lloop
)";
