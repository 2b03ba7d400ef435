/* call_native10 / call_native5 (cdecl): lay the values out as the callee's
   stack arguments, call, and put esp back wherever the callee left it. */
	.text
	.globl	_call_native10
	.def	_call_native10; .scl 2; .type 32; .endef
_call_native10:
	pushl	%ebp
	movl	%esp, %ebp
	pushl	%ebx
	movl	%esp, %ebx		/* esp to restore after the call */
	movl	$10, %ecx
1:	pushl	8(%ebp,%ecx,4)		/* value 10 first, value 1 last */
	decl	%ecx
	jnz	1b
	call	*8(%ebp)
	movl	%ebx, %esp
	popl	%ebx
	popl	%ebp
	ret

	.globl	_call_native5
	.def	_call_native5; .scl 2; .type 32; .endef
_call_native5:
	pushl	%ebp
	movl	%esp, %ebp
	pushl	%ebx
	movl	%esp, %ebx
	movl	$5, %ecx
1:	pushl	8(%ebp,%ecx,4)
	decl	%ecx
	jnz	1b
	call	*8(%ebp)
	movl	%ebx, %esp
	popl	%ebx
	popl	%ebp
	ret
